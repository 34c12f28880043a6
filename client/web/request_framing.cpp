#include "client/web/request_framing.h"

#include <optional>

namespace tb::web {
namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// A Content-Length value: decimal digits only, at most 18 of them.
std::optional<std::size_t> ParseLength(std::string_view v) {
  if (v.empty() || v.size() > 18) return std::nullopt;
  std::size_t n = 0;
  for (char c : v) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  return n;
}

// Reads the header lines of a complete head into `frame`; false for a bad length.
bool ReadFraming(std::string_view lines, RequestFrame& frame) {
  std::optional<std::size_t> length;
  while (!lines.empty()) {
    const auto end = lines.find('\n');
    const std::string_view line = lines.substr(0, end);
    lines = end == std::string_view::npos ? std::string_view{} : lines.substr(end + 1);
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = Trim(line.substr(colon + 1));
    if (EqualsNoCase(name, "Content-Length")) {
      auto n = ParseLength(value);
      if (!n || (length && *length != *n)) return false;
      length = n;
    } else if (EqualsNoCase(name, "Transfer-Encoding")) {
      frame.status = RequestFrame::Status::kTransferEncoding;
    } else if (EqualsNoCase(name, "Expect") && EqualsNoCase(value, "100-continue")) {
      frame.expectsContinue = true;
    }
  }
  frame.bodyLength = length.value_or(0);
  return true;
}

}  // namespace

RequestFrame FrameRequest(std::string_view bytes, std::size_t maxHead, std::size_t maxBody) {
  RequestFrame frame;
  const auto firstLineEnd = bytes.find('\n');
  // The head ends at the first line that is exactly CR LF after the request line.
  const auto blank = firstLineEnd == std::string_view::npos ? std::string_view::npos
                                                             : bytes.find("\n\r\n", firstLineEnd);
  if (blank == std::string_view::npos || blank + 3 > maxHead) {
    if (bytes.size() > maxHead) frame.status = RequestFrame::Status::kHeadTooLarge;
    return frame;
  }
  frame.headLength = blank + 3;
  if (!ReadFraming(bytes.substr(firstLineEnd + 1, blank - firstLineEnd), frame)) {
    frame.status = RequestFrame::Status::kBadLength;
    frame.bodyLength = 0;
    return frame;
  }
  if (frame.status == RequestFrame::Status::kTransferEncoding) return frame;
  if (frame.bodyLength > maxBody) {
    frame.status = RequestFrame::Status::kBodyTooLarge;
    return frame;
  }
  frame.status = bytes.size() >= frame.Total() ? RequestFrame::Status::kComplete
                                               : RequestFrame::Status::kIncomplete;
  return frame;
}

}  // namespace tb::web
