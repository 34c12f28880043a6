// Where a request ends, however its bytes are split on the way: a request fed a byte at
// a time is incomplete until its last byte and then complete with the right length; the
// next request's bytes are not counted; the head ends at the first empty line only.
#include "client/web/request_framing.h"

#include <gtest/gtest.h>

#include <string>

namespace tb::web {
namespace {

using S = RequestFrame::Status;

TEST(RequestFraming, CompleteExactlyAtTheLastByte) {
  const std::string post =
      "POST /event HTTP/1.1\r\nHost: h\r\ncontent-length:  7 \r\n\r\n{\"a\":1}";
  const std::string get = "GET /x HTTP/1.1\r\nHost: h\r\nX-Empty:\r\n\r\n";
  for (const std::string& request : {post, get}) {
    for (std::size_t n = 0; n < request.size(); ++n)
      ASSERT_EQ(FrameRequest(std::string_view(request).substr(0, n), 1024, 1024).status, S::kIncomplete)
          << request << " cut at " << n;
    const std::string pipelined = request + "GET /next HTTP/1.1\r\n\r\n";
    const auto frame = FrameRequest(pipelined, 1024, 1024);
    EXPECT_EQ(frame.status, S::kComplete);
    EXPECT_EQ(frame.Total(), request.size());
  }
}

TEST(RequestFraming, LimitsAndFramingOnlyTheHeadDecides) {
  // A body line that looks like a header does not count; LF without CR ends no head.
  const std::string body = "Content-Length: 999\r\n\r\n";
  const auto frame = FrameRequest(
      "POST / HTTP/1.1\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body, 1024, 1024);
  EXPECT_EQ(frame.status, S::kComplete);
  // A header's value may follow its colon without a space.
  const auto tight = FrameRequest("POST / HTTP/1.1\r\ncontent-length:12\r\n\r\n" + std::string(12, 'b'), 1024, 1024);
  EXPECT_EQ(tight.status, S::kComplete);
  EXPECT_EQ(tight.Total(), 38u + 12);
  EXPECT_EQ(FrameRequest("GET / HTTP/1.1\nHost: h\n\n", 1024, 1024).status, S::kIncomplete);
  EXPECT_EQ(FrameRequest(std::string(1025, 'x'), 1024, 1024).status, S::kHeadTooLarge);
  // A head and a body of exactly their limits are taken.
  std::string head = "GET / HTTP/1.1\r\nX: ";
  head += std::string(1024 - head.size() - 4, 'x') + "\r\n\r\n";
  ASSERT_EQ(head.size(), 1024u);
  EXPECT_EQ(FrameRequest(head, 1024, 1024).status, S::kComplete);
  EXPECT_EQ(FrameRequest(head.substr(0, 1022) + "x\r\n\r\n", 1024, 1024).status, S::kHeadTooLarge);
  EXPECT_EQ(FrameRequest("POST / HTTP/1.1\r\nContent-Length: 1024\r\n\r\n" + std::string(1024, 'b'), 1024, 1024)
                .status,
            S::kComplete);
  EXPECT_EQ(FrameRequest("POST / HTTP/1.1\r\nContent-Length: 1025\r\n\r\n", 1024, 1024).status,
            S::kBodyTooLarge);
  EXPECT_EQ(FrameRequest("POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n", 1024, 1024).status, S::kBadLength);
  EXPECT_EQ(FrameRequest("POST / HTTP/1.1\r\nContent-Length: 99999999999999999999\r\n\r\n", 1024, 1024).status,
            S::kBadLength);
  EXPECT_EQ(FrameRequest("POST / HTTP/1.1\r\ntransfer-encoding: gzip\r\n\r\n", 1024, 1024).status,
            S::kTransferEncoding);
  EXPECT_TRUE(FrameRequest("POST / HTTP/1.1\r\nExpect: 100-Continue\r\nContent-Length: 2\r\n\r\n", 1024, 1024)
                  .expectsContinue);
  // Only that header with that value asks for "100 Continue".
  for (const char* line : {"Expect: 200-ok", "X-Note: 100-continue"})
    EXPECT_FALSE(FrameRequest(std::string("POST / HTTP/1.1\r\n") + line + "\r\nContent-Length: 2\r\n\r\n", 1024, 1024)
                     .expectsContinue)
        << line;
}

}  // namespace
}  // namespace tb::web
