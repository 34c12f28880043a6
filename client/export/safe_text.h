// Texts as a workbook can hold them. Texts come from the databases and may carry bytes
// that are not UTF-8 or control characters, which would make the workbook's XML unreadable.
// Pure functions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tb::workbook {

// The longest text a cell holds, in UTF-16 units.
inline constexpr std::size_t kCellTextMax = 32767;

// Valid UTF-8 (bad bytes become U+FFFD), without control characters other than tab and
// line feed, and at most `maxUnits` UTF-16 units long (a character is never split).
[[nodiscard]] std::string SafeText(std::string_view text, std::size_t maxUnits = kCellTextMax);

// A text for the page header or footer: safe, short, and with "&" (the header's code
// character) doubled.
[[nodiscard]] std::string HeaderText(std::string_view text);

}  // namespace tb::workbook
