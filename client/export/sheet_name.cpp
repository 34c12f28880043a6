#include "client/export/sheet_name.h"

#include <algorithm>

#include "client/core/utf16.h"

namespace tb::workbook {

namespace {

// Full-width forms of the characters a sheet name must not hold.
char16_t Replacement(char16_t c) {
  switch (c) {
    case u'[': return u'［';
    case u']': return u'］';
    case u':': return u'：';
    case u'*': return u'＊';
    case u'?': return u'？';
    case u'/': return u'／';
    case u'\\': return u'＼';
    default: return c;
  }
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// The first `max` UTF-16 units, one short when the cut would split a surrogate pair.
std::u16string CutUnits(std::u16string s, size_t max) {
  if (s.size() <= max) return s;
  s.resize(max);
  if (!s.empty() && IsHighSurrogate(s.back())) s.pop_back();
  return s;
}

// A name may not end in an apostrophe (nor begin; a page number comes first).
void GuardApostrophe(std::u16string& s) {
  if (!s.empty() && s.back() == u'\'') s.back() = u'＇';
}

// Letter case as the spreadsheet ignores it: ASCII and full-width Latin letters.
std::u16string Folded(std::u16string_view s) {
  std::u16string out(s);
  for (auto& c : out) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c >= u'Ａ' && c <= u'Ｚ') c = static_cast<char16_t>(c - u'Ａ' + u'ａ');
  }
  return out;
}

bool Taken(const std::u16string& name, const std::vector<std::string>& taken) {
  const auto folded = Folded(name);
  return std::any_of(taken.begin(), taken.end(),
                     [&](const std::string& t) { return Folded(Utf8ToUtf16(t)) == folded; });
}

}  // namespace

std::string PageSheetName(int page, std::string_view title) {
  std::u16string name = Utf8ToUtf16(std::to_string(page));
  std::u16string rest;
  for (char16_t c : Utf8ToUtf16(title))
    if (c >= 0x20 && c != 0x7F) rest += Replacement(c);
  if (rest.find_first_not_of(u' ') != std::u16string::npos) name += u' ' + rest;
  name = CutUnits(std::move(name), kSheetNameMax);
  GuardApostrophe(name);
  return Utf16ToUtf8(name);
}

std::string UniqueSheetName(const std::string& name, const std::vector<std::string>& taken) {
  const std::u16string base = Utf8ToUtf16(name);
  if (!Taken(base, taken)) return name;
  for (int n = 2;; ++n) {
    const std::u16string suffix = Utf8ToUtf16(" (" + std::to_string(n) + ")");
    std::u16string candidate = CutUnits(base, kSheetNameMax - suffix.size()) + suffix;
    if (!Taken(candidate, taken)) return Utf16ToUtf8(candidate);
  }
}

}  // namespace tb::workbook
