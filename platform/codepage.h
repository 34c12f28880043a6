// Conversion between UTF-8 (the text form inside the client and the tools) and CP932,
// the Windows Japanese code page that every file of the system uses on disk.
// Conversions never fail: a character CP932 cannot hold becomes "?", and bytes that are
// not valid in the source encoding become U+FFFD (to UTF-8) or "?" (to CP932); the rest
// of the text is kept. Thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace platform {

[[nodiscard]] std::string Cp932ToUtf8(std::string_view cp932);
[[nodiscard]] std::string Utf8ToCp932(std::string_view utf8);

// True when the byte starts a double-byte CP932 character (0x81-0x9F, 0xE0-0xFC).
[[nodiscard]] constexpr bool IsCp932LeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace platform
