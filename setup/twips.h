// Twips (1/1440 inch) to screen pixels. The window was laid out in twips; at the
// 96 dots per inch it was designed for, one pixel is 15 twips.
#pragma once

namespace setup {

inline constexpr int kTwipsPerPixel = 15;

// Rounds to the nearest pixel, halves away from zero, so that negative positions (the
// controls left of the client area) convert symmetrically.
[[nodiscard]] constexpr int TwipsToPixels(int twips) {
  const int half = kTwipsPerPixel / 2;
  return twips >= 0 ? (twips + half) / kTwipsPerPixel : -((-twips + half) / kTwipsPerPixel);
}

// A control's place as the layout gives it: left, top, width, height in twips, relative
// to its container's client area.
struct TwipRect {
  int left, top, width, height;
};

}  // namespace setup
