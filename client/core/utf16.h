// UTF-8 <-> UTF-16 for the wide ODBC calls. Invalid input never fails: a byte sequence
// that is not UTF-8, or an unpaired surrogate, becomes U+FFFD. Pure functions.
#pragma once

#include <string>
#include <string_view>

namespace tb {

[[nodiscard]] std::u16string Utf8ToUtf16(std::string_view utf8);
[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace tb
