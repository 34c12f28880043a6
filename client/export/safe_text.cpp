#include "client/export/safe_text.h"

#include "client/core/utf16.h"

namespace tb::workbook {

namespace {

// Each part of a header stays short: the whole header holds 255 characters.
constexpr std::size_t kHeaderPartMax = 100;

}  // namespace

std::string SafeText(std::string_view text, std::size_t maxUnits) {
  std::u16string out;
  for (char16_t c : Utf8ToUtf16(text)) {
    if ((c < 0x20 && c != u'\t' && c != u'\n') || c == 0x7F) continue;
    if (c == 0xFFFE || c == 0xFFFF) c = 0xFFFD;  // not characters in XML
    out += c;
  }
  if (out.size() > maxUnits) {
    out.resize(maxUnits);
    if (out.back() >= 0xD800 && out.back() <= 0xDBFF) out.pop_back();
  }
  return Utf16ToUtf8(out);
}

std::string HeaderText(std::string_view text) {
  std::string out;
  for (char c : SafeText(text, kHeaderPartMax)) {
    if (c == '\n' || c == '\t') c = ' ';
    out += c;
    if (c == '&') out += '&';
  }
  return out;
}

}  // namespace tb::workbook
