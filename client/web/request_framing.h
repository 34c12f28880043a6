// Where one HTTP/1.1 request ends in the bytes received so far on a connection: the
// request head (request line and header lines up to the first empty line) and the body
// its Content-Length announces. The connection front reads until a request is complete
// before a worker thread takes it, so that a client that sends slowly or not at all holds
// no thread. The head ends where the HTTP library's reader ends it (the first line that
// is exactly CR LF after the request line), so both see the same request.
// Pure functions; thread-safe.
#pragma once

#include <cstddef>
#include <string_view>

namespace tb::web {

struct RequestFrame {
  enum class Status {
    kIncomplete,        // more bytes are needed
    kComplete,          // head and body are all there
    kHeadTooLarge,      // no end of head within the limit: answer 431
    kBodyTooLarge,      // the head is complete, the body is over the limit: answer 413
    kBadLength,         // Content-Length that is not one decimal number: answer 400
    kTransferEncoding,  // a request body with a transfer coding: answer 501
  };
  Status status = Status::kIncomplete;
  std::size_t headLength = 0;  // through the empty line; set once the head is complete
  std::size_t bodyLength = 0;  // announced by Content-Length
  bool expectsContinue = false;  // "Expect: 100-continue"

  [[nodiscard]] std::size_t Total() const { return headLength + bodyLength; }
};

// Frames the request at the start of `bytes`. A head longer than `maxHead` bytes or a
// body longer than `maxBody` bytes is refused as soon as that is known.
[[nodiscard]] RequestFrame FrameRequest(std::string_view bytes, std::size_t maxHead,
                                        std::size_t maxBody);

}  // namespace tb::web
