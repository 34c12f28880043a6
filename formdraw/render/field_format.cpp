#include "formdraw/render/field_format.h"

#include <algorithm>

#include "platform/codepage.h"

namespace fd::render {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNonZeroDigit(char c) { return c >= '1' && c <= '9'; }

struct PictureShape {
  std::size_t integerPositions = 0, fractionPositions = 0;
};

PictureShape Shape(std::string_view picture) {
  PictureShape s;
  bool fraction = false;
  for (char c : picture) {
    if (c == '.') fraction = true;
    if (c == '9' || c == 'Z') ++(fraction ? s.fractionPositions : s.integerPositions);
  }
  return s;
}

// Places the value's characters into the picture (integer part right-aligned, fraction
// left-aligned); unfilled "9" give "0", unfilled "Z" and leading-zero "Z" give blanks.
std::string Place(std::string_view intPart, std::string_view frac, std::string_view picture,
                  std::size_t integerPositions) {
  std::string out;
  std::size_t remainingPositions = integerPositions, next = 0, nextFrac = 0;
  bool fraction = false, seenDigit = false;
  for (char c : picture) {
    if (c == ',') {
      out += ',';
    } else if (c == '.') {
      out += '.';
      fraction = true;
    } else if ((c == '9' || c == 'Z') && fraction) {
      out += nextFrac < frac.size() ? frac[nextFrac++] : (c == '9' ? '0' : ' ');
    } else if (c == '9' || c == 'Z') {
      const std::size_t remainingChars = intPart.size() - next;
      if (remainingPositions <= remainingChars) {
        char ch = intPart[next++];
        if (IsNonZeroDigit(ch)) seenDigit = true;
        if (c == 'Z' && ch == '0' && !seenDigit) ch = ' ';
        out += ch;
      } else {
        out += c == '9' ? '0' : ' ';
      }
      --remainingPositions;
    }
    // Any other picture character is dropped.
  }
  return out;
}

}  // namespace

// A "-" directly after a run of zeros changes place with the run's first zero; a "-"
// before a blank or "," moves past it. Repeats, from the first sign that can move, until
// nothing moves.
//
// A move changes the characters from `lo` on only, and whether a sign can move depends on
// the zeros before it and the character after it: the signs before lo - 1 stay as they
// were (unable to move), so the next scan starts at lo - 1 instead of the beginning. The
// result is that of rescanning from the start, without its cubic time on long pictures
// full of signs and separators.
void MoveSigns(std::string& s) {
  const std::size_t cap = 4 * s.size() * s.size() + 4;  // guards against garbage input
  std::size_t from = 0;
  for (std::size_t round = 0; round < cap; ++round) {
    bool moved = false;
    for (std::size_t i = from; i < s.size() && !moved; ++i) {
      if (s[i] != '-') continue;
      std::size_t j = i;
      while (j > 0 && s[j - 1] == '0') --j;
      if (j < i) {
        std::swap(s[i], s[j]);
        moved = true;
        from = j;
      } else if (i + 1 < s.size() && (s[i + 1] == ' ' || s[i + 1] == ',')) {
        std::swap(s[i], s[i + 1]);
        moved = true;
        from = i;
      }
    }
    if (!moved) return;
    from = from > 0 ? from - 1 : 0;
  }
}

namespace {

void BlankLeadingCommas(std::string& s) {
  for (char& c : s) {
    if (c == ',') c = ' ';
    else if (c != ' ' && c != '-') return;
  }
}

void BlankTrailingPoint(std::string& s) {
  auto last = s.find_last_not_of(' ');
  if (last != std::string::npos && s[last] == '.') s[last] = ' ';
}

void RightJustify(std::string& s) {
  const auto last = s.find_last_not_of(' ');
  const std::size_t trailing = last == std::string::npos ? s.size() : s.size() - last - 1;
  s = std::string(trailing, ' ') + s.substr(0, s.size() - trailing);
}

// A negative zero has no sign.
void DropSignOfZero(std::string& s) {
  for (auto i = s.size(); i-- > 0;) {
    if (IsNonZeroDigit(s[i])) return;
    if (s[i] == '-') {
      s[i] = ' ';
      return;
    }
  }
}

}  // namespace

std::string NormaliseNumber(std::string_view value) {
  std::string kept;
  for (char c : value)
    if (IsDigit(c) || c == '-' || c == '.') kept += c;
  std::string out;
  bool seenNonZero = false, seenPoint = false;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    const char c = kept[i];
    if (c == '.') seenPoint = true;
    if (IsNonZeroDigit(c)) seenNonZero = true;
    // Zeros that lead the integer part go, except the one directly before the point.
    // Zeros of the fraction always stay (0.05 is not 0.5).
    const bool pointFollows = i + 1 < kept.size() && kept[i + 1] == '.';
    if (c == '0' && !seenNonZero && !seenPoint && !pointFollows) continue;
    out += c;
  }
  if (out == "-") out.clear();
  if (out.find('.') != std::string::npos)
    while (!out.empty() && out.back() == '0') out.pop_back();
  return out;
}

std::optional<std::string> FormatNumeric(std::string_view value, std::string_view picture,
                                         std::optional<char> pad) {
  const std::string v = NormaliseNumber(value);
  const auto point = v.find('.');
  const std::string_view intPart = std::string_view(v).substr(0, point);
  const std::string_view frac = point == std::string::npos ? std::string_view{}
                                                           : std::string_view(v).substr(point + 1);
  const PictureShape shape = Shape(picture);
  if (intPart.size() > shape.integerPositions || frac.size() > shape.fractionPositions) {
    if (pad) return std::string(picture.size(), *pad);
    return std::nullopt;
  }
  std::string out = Place(intPart, frac, picture, shape.integerPositions);
  MoveSigns(out);
  BlankLeadingCommas(out);
  BlankTrailingPoint(out);
  RightJustify(out);
  DropSignOfZero(out);
  return out;
}

std::optional<std::string> FormatText(std::string_view value, std::size_t formatBytes, bool cut) {
  if (value.size() <= formatBytes) return std::string(value);
  if (!cut) return std::nullopt;
  std::size_t end = 0;
  while (end < value.size()) {
    const bool lead = platform::IsCp932LeadByte(static_cast<unsigned char>(value[end]));
    std::size_t len = lead && end + 1 < value.size() ? 2 : 1;
    if (end + len > formatBytes) break;
    end += len;
  }
  return std::string(value.substr(0, end));
}

std::optional<std::string> FormatFieldValue(std::string_view value, std::string_view format,
                                            const FormatOptions& options) {
  if (format.empty() || format.front() == 'X')
    return FormatText(value, format.size(), options.cutLongText);
  return FormatNumeric(value, format, options.padCharacter);
}

}  // namespace fd::render
