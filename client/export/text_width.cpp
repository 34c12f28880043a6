#include "client/export/text_width.h"

#include "client/core/utf16.h"

namespace tb::workbook {

namespace {

// East Asian wide and full-width ranges of the Basic Multilingual Plane; the half-width
// katakana block (U+FF61-U+FF9F) stays narrow.
bool IsWide(char16_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6);
}

}  // namespace

int DisplayWidth(std::string_view utf8) {
  int width = 0;
  const std::u16string text = Utf8ToUtf16(utf8);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF) {  // beyond the BMP: ideographs mostly, wide
      width += 2;
      ++i;
    } else {
      width += IsWide(c) ? 2 : 1;
    }
  }
  return width;
}

}  // namespace tb::workbook
