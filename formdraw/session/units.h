// Unit conversions of the library's interface (0.01 mm, twips, device dots), with the
// integer divisions in the order that fixes the rounding of every printed position.
#pragma once

#include <cstdint>

namespace fmdraw::session {

// 0.01 mm to device dots: v * 1000 / (2540000 / dpi); 0 without a resolution, and 0
// for a resolution so fine that the divisor itself becomes 0.
inline int32_t HundredthsToDots(int64_t v, int32_t dpi) {
  if (dpi <= 0) return 0;
  const int32_t hundredthsPerThousandDots = 2540000 / dpi;
  if (hundredthsPerThousandDots == 0) return 0;
  return static_cast<int32_t>(v * 1000 / hundredthsPerThousandDots);
}

// Device dots to 0.01 mm: (v * 2540 + 1270) / dpi.
inline int32_t DotsToHundredths(int64_t v, int32_t dpi) {
  if (dpi <= 0) return 0;
  return static_cast<int32_t>((v * 2540 + 1270) / dpi);
}

// Twips (form files) to 0.01 mm: v * 1764 / 1000.
inline int32_t TwipsToHundredths(int64_t v) { return static_cast<int32_t>(v * 1764 / 1000); }

// A position of the current form: v * magnification / 100 + offset.
inline int32_t ApplyForm(int64_t v, int32_t magnification, int32_t offset) {
  return static_cast<int32_t>(v * magnification / 100 + offset);
}

}  // namespace fmdraw::session
