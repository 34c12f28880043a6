// Places the elements of a barcode in device dots: the narrow width derived from the
// rectangle, the minimum narrow width, the wide widths and gaps, the bar-width
// correction for printers, and the explicit width sets. Pure functions.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "formdraw/barcode/symbology.h"

namespace fd::barcode {

// The barcode settings of a session, in device dots.
struct BarSettings {
  std::int16_t minimumNarrow = 0;
  std::int16_t gain = 0;
  // Explicit width sets by selector -1 (Code 39), -2 (JAN-13), -3 (JAN-8), -4 (ITF),
  // -5 (NW-7) at index 0..4; a set is in force when its first value is not 0.
  std::array<std::array<std::int16_t, 8>, 5> explicitSets{};
};

// The explicit set index of a symbology (0 for Code 39 ... 4 for NW-7).
[[nodiscard]] int ExplicitSetIndex(Symbology s);

// One bar: drawn as a filled box from `start` to `start + width` along the code's
// direction, in dots from the code's first position.
struct Bar {
  int start = 0;
  int width = 0;
};

struct Layout {
  int narrowMm = 0;      // narrow width w in 0.01 mm, from the rectangle
  int narrowDots = 0;    // n in dots, after the minimum and explicit sets
  std::vector<Bar> bars;
  int length = 0;        // position after the last element, in dots
};

// Converts 0.01 mm to dots at `dpi`: v * 1000 / (2540000 / dpi), integer divisions.
[[nodiscard]] int MmToDots(long long v, int dpi);

// Lays out `encoded` over an extent of `extentMm` (0.01 mm) at `dpi`. `display` is true
// when the session draws to a display: no minimum, no explicit sets, no correction.
[[nodiscard]] Layout LayOut(Symbology s, std::string_view encoded, int extentMm, int dpi,
                            const BarSettings& settings, bool display);

}  // namespace fd::barcode
