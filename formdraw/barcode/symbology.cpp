#include "formdraw/barcode/symbology.h"

#include <algorithm>
#include <array>

namespace fd::barcode {
namespace {

constexpr std::string_view kCode39Values = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
constexpr std::string_view kNw7Values = "0123456789-$:/.+ABCD";

// Code 39: nine elements (bar, space, ..., bar) per character, '1' = wide.
constexpr std::array<std::string_view, 44> kCode39Patterns = {
    "000110100", "100100001", "001100001", "101100000", "000110001", "100110000",  // 0-5
    "001110000", "000100101", "100100100", "001100100",                            // 6-9
    "100001001", "001001001", "101001000", "000011001", "100011000", "001011000",  // A-F
    "000001101", "100001100", "001001100", "000011100", "100000011", "001000011",  // G-L
    "101000010", "000010011", "100010010", "001010010", "000000111", "100000110",  // M-R
    "001000110", "000010110", "110000001", "011000001", "111000000", "010010001",  // S-X
    "110010000", "011010000",                                                      // Y-Z
    "010000101", "110000100", "011000100", "010101000", "010100010", "010001010",  // - . sp $ / +
    "000101010",                                                                   // %
    "010010100",                                                                   // * (index 43)
};

// NW-7 (Codabar): seven elements per character, '1' = wide, in kNw7Values order.
constexpr std::array<std::string_view, 20> kNw7Patterns = {
    "0000011", "0000110", "0001001", "1100000", "0010010", "1000010", "0100001",
    "0100100", "0110000", "1001000", "0001100", "0011000", "1000101", "1010001",
    "1010100", "0010101", "0011010", "0101001", "0001011", "0001110",
};

// Interleaved 2 of 5: five elements per digit, '1' = wide.
constexpr std::array<std::string_view, 10> kItfPatterns = {
    "00110", "10001", "01001", "11000", "00101", "10100", "01100", "00011", "10010", "01010",
};

// EAN/JAN module widths of the four elements of a digit. The left odd set (space, bar,
// space, bar) and the right set (bar, space, bar, space) share these widths; the left
// even set is their reverse.
constexpr std::array<std::array<std::uint8_t, 4>, 10> kEanWidths = {{
    {3, 2, 1, 1}, {2, 2, 2, 1}, {2, 1, 2, 2}, {1, 4, 1, 1}, {1, 1, 3, 2},
    {1, 2, 3, 1}, {1, 1, 1, 4}, {1, 3, 1, 2}, {1, 2, 1, 3}, {3, 1, 1, 2},
}};

// Parity of the left-hand digits 2 to 7 of an EAN-13 code by its first digit: 'O' odd, 'E' even.
constexpr std::array<std::string_view, 10> kEan13Parity = {
    "OOOOOO", "OOEOEE", "OOEEOE", "OOEEEO", "OEOOEE",
    "OEEOOE", "OEEEOO", "OEOEOE", "OEOEEO", "OEEOEO",
};

bool AllDigits(std::string_view t) {
  return std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

Width Modules(int m) {
  switch (m) {
    case 1: return Width::kModule1;
    case 2: return Width::kModule2;
    case 3: return Width::kModule3;
    case 4: return Width::kModule4;
    default: return Width::kModule7;
  }
}

void Push(std::vector<Element>& out, bool bar, Width w) { out.push_back({bar, w}); }

// Narrow/wide pattern starting with a bar, then alternating.
void PushPattern(std::vector<Element>& out, std::string_view pattern) {
  bool bar = true;
  for (char c : pattern) {
    Push(out, bar, c == '1' ? Width::kWide : Width::kNarrow);
    bar = !bar;
  }
}

void PushEanDigit(std::vector<Element>& out, int digit, bool leftSide, bool even) {
  auto w = kEanWidths[static_cast<std::size_t>(digit)];
  if (even) std::reverse(w.begin(), w.end());
  bool bar = !leftSide;  // left digits start with a space, right digits with a bar
  for (auto m : w) {
    Push(out, bar, Modules(m));
    bar = !bar;
  }
}

std::vector<Element> EanElements(std::string_view digits) {
  const bool ean13 = digits.size() == 13;
  std::vector<Element> out;
  // Start group: a 0-module space, then bar, space, bar.
  Push(out, false, Width::kStartSpace);
  Push(out, true, Width::kModule1);
  Push(out, false, Width::kModule1);
  Push(out, true, Width::kModule1);
  const std::size_t leftFirst = ean13 ? 1 : 0, half = ean13 ? 6 : 4;
  const auto parity = ean13 ? kEan13Parity[static_cast<std::size_t>(digits[0] - '0')] : "OOOO";
  for (std::size_t i = 0; i < half; ++i)
    PushEanDigit(out, digits[leftFirst + i] - '0', true, parity[i] == 'E');
  for (int i = 0; i < 5; ++i) Push(out, i % 2 == 1, Width::kModule1);  // centre group
  for (std::size_t i = 0; i < half; ++i) PushEanDigit(out, digits[leftFirst + half + i] - '0', false, false);
  Push(out, true, Width::kModule1);  // end group
  Push(out, false, Width::kModule1);
  Push(out, true, Width::kModule1);
  Push(out, false, Width::kModule7);
  return out;
}

Encoded EncodeJan(std::string_view text, std::size_t dataLength) {
  if (text.size() != dataLength && text.size() != dataLength + 1) return {kBadLength, {}};
  if (!AllDigits(text)) return {kBadCharacter, {}};
  std::string out(text);
  if (text.size() == dataLength) out.push_back(Mod10CheckDigit(text));
  return {0, out};
}

}  // namespace

char Mod10CheckDigit(std::string_view digits) {
  int sum = 0, weight = 3;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    sum += (*it - '0') * weight;
    weight = weight == 3 ? 1 : 3;
  }
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

Encoded EncodeJan13(std::string_view text) { return EncodeJan(text, 12); }
Encoded EncodeJan8(std::string_view text) { return EncodeJan(text, 7); }

Encoded EncodeCode39(std::string_view text, bool addCheck) {
  int sum = 0;
  for (char c : text) {
    auto pos = kCode39Values.find(c);
    if (c == '*' || pos == std::string_view::npos) return {kBadCharacter, {}};
    sum += static_cast<int>(pos);
  }
  std::string out = "*" + std::string(text);
  if (addCheck) out.push_back(kCode39Values[static_cast<std::size_t>(sum % 43)]);
  out.push_back('*');
  return {0, out};
}

Encoded EncodeItf(std::string_view text) {
  if (text.empty() || text.size() > 30) return {kBadLength, {}};
  if (!AllDigits(text)) return {kBadCharacter, {}};
  std::string out(text);
  if (out.size() % 2 == 1) out.push_back(Mod10CheckDigit(text));
  return {0, out};
}

Encoded EncodeNw7(std::string_view text, bool addCheck) {
  if (text.empty() || text.size() > 30) return {kBadLength, {}};
  int sum = 0;
  for (char c : text) {
    auto pos = kNw7Values.find(c);
    if (pos == std::string_view::npos) return {kBadCharacter, {}};
    sum += static_cast<int>(pos);
  }
  std::string out(text);
  if (addCheck) {
    const char check = kNw7Values[static_cast<std::size_t>((16 - sum % 16) % 16)];
    out.insert(out.end() - 1, check);
  }
  return {0, out};
}

std::vector<Element> Elements(Symbology s, std::string_view encoded) {
  std::vector<Element> out;
  switch (s) {
    case Symbology::kJan13:
    case Symbology::kJan8:
      return EanElements(encoded);
    case Symbology::kCode39:
      for (char c : encoded) {
        auto pos = c == '*' ? 43 : kCode39Values.find(c);
        PushPattern(out, kCode39Patterns[pos]);
        Push(out, false, Width::kGap);
      }
      return out;
    case Symbology::kNw7:
      for (char c : encoded) {
        PushPattern(out, kNw7Patterns[kNw7Values.find(c)]);
        Push(out, false, Width::kGap);
      }
      return out;
    case Symbology::kItf:
      PushPattern(out, "000");  // start: narrow bar, space, bar ...
      Push(out, false, Width::kNarrow);  // ... and a narrow space
      for (std::size_t i = 0; i + 1 < encoded.size(); i += 2) {
        auto bars = kItfPatterns[static_cast<std::size_t>(encoded[i] - '0')];
        auto spaces = kItfPatterns[static_cast<std::size_t>(encoded[i + 1] - '0')];
        for (int k = 0; k < 5; ++k) {
          Push(out, true, bars[k] == '1' ? Width::kWide : Width::kNarrow);
          Push(out, false, spaces[k] == '1' ? Width::kWide : Width::kNarrow);
        }
      }
      PushPattern(out, "100");  // stop: wide bar, narrow space, narrow bar
      return out;
  }
  return out;
}

}  // namespace fd::barcode
