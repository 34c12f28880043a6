#include "client/web/download_header.h"

namespace tb::web {
namespace {

std::string PercentEncode(std::string_view s) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' ||
        c == '-' || c == '_') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string AsciiFallbackName(std::string_view s) {
  std::string out;
  for (unsigned char c : s) out += (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') ? char(c) : '_';
  return out;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> DownloadHeaders(std::string_view utf8Name) {
  return {{"Content-Disposition", "attachment; filename=\"" + AsciiFallbackName(utf8Name) +
                                      "\"; filename*=UTF-8''" + PercentEncode(utf8Name)},
          {"Cache-Control", "no-store"}};
}

}  // namespace tb::web
