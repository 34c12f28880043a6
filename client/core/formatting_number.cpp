// Number pictures: "0" shows a digit or zero, "#" a digit or nothing, "," between
// integer placeholders groups by three, "." starts the fraction. The value is rounded
// half away from zero on its decimal digits. Text before the first and after the last
// placeholder is copied; a negative value that rounds to zero loses its sign ("-0.0"
// would read as a different value than the "0.0" beside it).
#include <algorithm>

#include "client/core/decimal_text.h"
#include "client/core/formatting.h"

namespace tb {
namespace {

struct NumberPicture {
  std::string prefix;
  std::string suffix;
  std::size_t minIntDigits = 0;  // "0" placeholders before the point
  bool grouped = false;
  std::size_t minDecimals = 0;   // "0" placeholders after the point
  std::size_t maxDecimals = 0;   // all placeholders after the point
};

bool IsPlaceholder(char c) { return c == '0' || c == '#' || c == '.'; }

std::optional<NumberPicture> ParsePicture(std::string_view picture) {
  auto first = std::find_if(picture.begin(), picture.end(), IsPlaceholder);
  if (first == picture.end()) return std::nullopt;
  auto last = std::find_if(picture.rbegin(), picture.rend(),
                           [](char c) { return IsPlaceholder(c) || c == ','; }).base();
  NumberPicture p;
  p.prefix.assign(picture.begin(), first);
  p.suffix.assign(last, picture.end());
  bool inFraction = false;
  for (auto it = first; it != last; ++it) {
    if (*it == '.') {
      inFraction = true;
    } else if (*it == ',' && !inFraction) {
      p.grouped = true;
    } else if (*it == '0' || *it == '#') {
      if (!inFraction) {
        p.minIntDigits += *it == '0';
      } else {
        ++p.maxDecimals;
        if (*it == '0') p.minDecimals = p.maxDecimals;
      }
    }
  }
  return p;
}

std::string Grouped(const std::string& digits) {
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// The number as plain decimal text, for an empty picture or one without placeholders.
std::string PlainText(detail::Decimal d) {
  while (!d.fracDigits.empty() && d.fracDigits.back() == '0') d.fracDigits.pop_back();
  std::string text = d.intDigits.empty() ? "0" : d.intDigits;
  if (!d.fracDigits.empty()) text += "." + d.fracDigits;
  return (d.negative && !d.IsZero() ? "-" : "") + text;
}

}  // namespace

std::string FormatNumber(std::string_view value, std::string_view picture) {
  std::optional<detail::Decimal> parsed = detail::ParseDecimal(value);
  if (!parsed) return std::string(value);
  std::optional<NumberPicture> pic = ParsePicture(picture);
  if (!pic) return PlainText(*parsed);

  detail::Decimal d = detail::RoundHalfAwayFromZero(*parsed, pic->maxDecimals);
  std::string frac = d.fracDigits;
  while (frac.size() > pic->minDecimals && frac.back() == '0') frac.pop_back();
  std::string digits = d.intDigits;
  if (digits.size() < pic->minIntDigits) digits.insert(0, pic->minIntDigits - digits.size(), '0');

  std::string text = d.negative && !d.IsZero() ? "-" : "";
  text += pic->prefix + (pic->grouped ? Grouped(digits) : digits);
  if (!frac.empty()) text += "." + frac;  // no bare point when no decimal shows
  return text + pic->suffix;
}

std::string FormatNumber(long long value, std::string_view picture) {
  return FormatNumber(std::to_string(value), picture);
}

}  // namespace tb
