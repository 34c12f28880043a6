// Line-level reading of profile text, shared by the document parser and its writer.
// Internal to platform/. The text is CP932 bytes: every scan steps over double-byte
// characters so that a trail byte that happens to equal "]" or an ASCII letter is never
// taken for one. The format is described in docs/formats/profile.md.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace platform::profile_detail {

// One line of the text: [begin, contentEnd) is the line without its CR LF / LF,
// [begin, end) includes the terminator (empty for a last line without one).
struct Line {
  std::size_t begin = 0;
  std::size_t contentEnd = 0;
  std::size_t end = 0;
};

enum class LineKind { kOther, kSection, kKey };

// What a line means: a section header (name set), a key line (name and raw value set,
// both trimmed, value unquoted), or anything else (comments, blank lines, text without
// "=", keys with an empty name).
struct LineInfo {
  LineKind kind = LineKind::kOther;
  std::string_view name;
  std::string_view value;
};

// Number of bytes of a leading UTF-8 byte-order mark (0 or 3).
[[nodiscard]] std::size_t BomLength(std::string_view bytes);

// Splits the text into lines; a leading byte-order mark is not part of the first line.
[[nodiscard]] std::vector<Line> SplitLines(std::string_view bytes);

[[nodiscard]] LineInfo ClassifyLine(std::string_view content);

// Drops blanks (space, tab) at both ends.
[[nodiscard]] std::string_view TrimBlanks(std::string_view s);

// Compares two names without regard to ASCII letter case; double-byte characters
// compare byte for byte.
[[nodiscard]] bool NamesEqual(std::string_view a, std::string_view b);

// The line terminator the file uses ("\r\n" when its first line ends so or when the
// file has no line end at all, as new files get; "\n" otherwise).
[[nodiscard]] std::string_view LineEndingOf(const std::vector<Line>& lines);

// Cuts a value to at most maxBytes bytes without splitting a double-byte character
// (CP932 when utf8 is false, UTF-8 otherwise) and at the first NUL byte, as a C
// buffer would end there.
[[nodiscard]] std::string CutValue(std::string_view value, std::size_t maxBytes, bool utf8);

}  // namespace platform::profile_detail
