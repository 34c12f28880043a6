// The five linear symbologies the form library prints: checking a text, completing it
// (check character, start and stop characters) and turning it into a sequence of bar and
// space elements. Element patterns and check characters follow the published symbology
// standards. Pure functions, thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fd::barcode {

// Symbology codes as barcode fields of a form store them.
enum class Symbology : int { kCode39 = 1, kJan13 = 2, kJan8 = 3, kItf = 4, kNw7 = 5 };

inline constexpr int kBadLength = -2;
inline constexpr int kBadCharacter = -3;

// The text the code carries, or a failure code (kBadLength / kBadCharacter).
struct Encoded {
  int code = 0;
  std::string text;  // JAN: the digits with check digit; Code 39: "*" + data + check + "*"
};

[[nodiscard]] Encoded EncodeJan13(std::string_view text);
[[nodiscard]] Encoded EncodeJan8(std::string_view text);
[[nodiscard]] Encoded EncodeCode39(std::string_view text, bool addCheck);
[[nodiscard]] Encoded EncodeItf(std::string_view text);
[[nodiscard]] Encoded EncodeNw7(std::string_view text, bool addCheck);

// Width classes of an element. JAN elements are 1 to 4 modules (kModules + count; the
// final quiet space is 7 modules); the others are narrow or wide, and a character is
// followed by an inter-character gap where the symbology has one.
// kStartSpace is the 0-module space that opens a JAN code: it takes no modules, but the
// bar-width correction still advances it, and explicit widths give it the 1-module space.
enum class Width : std::uint8_t { kNarrow, kWide, kGap, kModule1, kModule2, kModule3, kModule4, kModule7,
                                  kStartSpace };

struct Element {
  bool bar = false;
  Width width = Width::kNarrow;
};

// The elements of an encoded text, from the first to the last, in reading order.
[[nodiscard]] std::vector<Element> Elements(Symbology s, std::string_view encoded);

// Modulo-10 check digit with weights 3 and 1 from the right (JAN, ITF).
[[nodiscard]] char Mod10CheckDigit(std::string_view digits);

}  // namespace fd::barcode
