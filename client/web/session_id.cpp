#include "client/web/session_id.h"

#include <sys/random.h>

#include <array>
#include <cerrno>

namespace tb::web {

std::optional<std::string> NewSessionId() {
  std::array<unsigned char, 16> bytes{};
  std::size_t got = 0;
  while (got < bytes.size()) {
    ssize_t n = getrandom(bytes.data() + got, bytes.size() - got, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    got += static_cast<std::size_t>(n);
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string id;
  for (unsigned char b : bytes) {
    id += kHex[b >> 4];
    id += kHex[b & 15];
  }
  return id;
}

bool IsWellFormedSessionId(std::string_view id) {
  if (id.size() != 32) return false;
  for (char c : id)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

std::string CookieValue(std::string_view header, std::string_view name) {
  while (!header.empty()) {
    auto end = header.find(';');
    auto part = header.substr(0, end);
    header = end == std::string_view::npos ? std::string_view{} : header.substr(end + 1);
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    auto eq = part.find('=');
    if (eq == std::string_view::npos) continue;
    auto key = part.substr(0, eq);
    while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
    if (key == name) {
      auto value = part.substr(eq + 1);
      while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
      return std::string(value);
    }
  }
  return {};
}

std::string SessionCookieHeader(std::string_view id) {
  return std::string(kSessionCookie) + "=" + std::string(id) +
         "; Path=/; HttpOnly; SameSite=Strict";
}

}  // namespace tb::web
