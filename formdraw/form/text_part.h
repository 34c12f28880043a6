// The text part of a form file: CR LF lines of CP932 bytes up to the "99" line.
// LineReader cuts lines the way every reader of the library does (511-byte pieces, CR
// ends a line and the LF after it is skipped, a line starting with 0x1A ends the file);
// SplitFields splits a record line; ParseTextPart reads the whole part.
// Pure functions over a byte span; no I/O.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fmdraw::form {

class LineReader {
 public:
  explicit LineReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  // The next line, or nullopt at the end of the file.
  std::optional<std::string> Next();
  // Offset of the byte after the last line returned.
  [[nodiscard]] std::size_t Offset() const { return pos_; }

 private:
  std::span<const uint8_t> bytes_;
  std::size_t pos_ = 0;
  bool ended_ = false;
};

// Commas separate fields; a double quote toggles a stretch in which commas are ordinary;
// the quotes are dropped. An empty field is kept as the empty string ("missing").
std::vector<std::string> SplitFields(std::string_view line);

// Leading-integer parse as the C library's atoi does (blanks, sign, digits); 0 when
// there are no digits. Saturates instead of overflowing.
int32_t ParseLeadingInt(std::string_view text);

// Turns 0x05 back into "," and 0x06 0x07 into CR LF.
std::string DecodeFormString(std::string_view stored);
// The reverse, used by the writer.
std::string EncodeFormString(std::string_view text);

struct FontLine {
  int32_t id = 0;          // record code minus 400
  std::string face;        // 1 to 32 bytes
  int32_t first = 0;       // flag: non-zero adds 4 to the pitch-and-family byte
  int32_t pitchFamily = 0;
  int32_t charset = 0;
};

struct TextPart {
  std::array<std::string, 5> head;  // lines 1 to 5 as read
  std::string hanging;              // record 300, at most 256 bytes
  std::array<std::optional<std::string>, 3> formStrings;  // 301..303 as stored (encoded)
  std::vector<FontLine> fonts;
  int32_t otherRecordLines = 0;  // record lines that are neither 3xx nor "99"
  std::vector<std::string> recordLines;  // every record line before "99", as read
  std::size_t binaryOffset = 0;  // the byte after the "99" line
};

struct TextPartResult {
  int error = 0;          // 0 or kErrFile
  std::size_t line = 0;   // line number of the fault (1-based), 0 when none
  std::string reason;     // for people: which field was wrong
  TextPart part;
};

TextPartResult ParseTextPart(std::span<const uint8_t> bytes);

}  // namespace fmdraw::form
