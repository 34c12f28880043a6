// Formatting of the values printed into data and list fields. A format that begins with
// "X" is a text format: the value is kept up to as many bytes as the format has
// (double-byte characters are never split). Any other format is a numeric picture made
// of "9" (digit, "0" when the value has none there), "Z" (digit, blank when the value has
// none there), "," and ".": the value's digits are placed right-aligned, signs placed
// before the first digit, and the result right-justified in the picture's width.
// Values and formats are CP932 byte strings. Pure functions, thread-safe.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fd::render {

struct FormatOptions {
  bool cutLongText = false;            // setting code 5: cut an over-long text value
  std::optional<char> padCharacter;    // setting code 6: fills a numeric picture that overflows
};

// The printed text, or nullopt when the value does not fit its format (the field call
// then returns -4).
[[nodiscard]] std::optional<std::string> FormatFieldValue(std::string_view value,
                                                          std::string_view format,
                                                          const FormatOptions& options);

// The two formatters, exposed for tests and the fuzzer.
[[nodiscard]] std::optional<std::string> FormatText(std::string_view value, std::size_t formatBytes,
                                                    bool cut);
[[nodiscard]] std::optional<std::string> FormatNumeric(std::string_view value,
                                                       std::string_view picture,
                                                       std::optional<char> pad);

// Step 1 of numeric formatting: keeps digits, "-" and "."; drops the zeros that lead the
// integer part (a zero directly before the point stays); a lone "-" becomes empty; with a
// point, trailing zeros of the fraction go.
[[nodiscard]] std::string NormaliseNumber(std::string_view value);

// Step 4 of numeric formatting, on the placed picture: a "-" after a run of zeros changes
// place with the run's first zero; a "-" before a blank or "," moves past it; repeated
// from the first sign that can move until none can.
void MoveSigns(std::string& s);

}  // namespace fd::render
