// Unit arithmetic of the form library: 0.01 mm, twips (1/1440 inch), 1/300 inch pen
// widths and device dots. Every formula keeps its integer divisions in the stated order,
// because the printed positions depend on where the remainders are dropped. Intermediate
// products are 64-bit so that large 32-bit inputs cannot overflow. Pure functions.
//
// A resolution that is not positive converts everything to 0 dots. The form pass works
// with the factor 14400 / dpi (twips per dot times ten); above 14400 dpi that factor
// would be 0, so it is taken as 1 instead of dividing by zero.
#pragma once

#include <cstdint>

namespace fd::draw {

// Narrows a 64-bit result to the 32-bit range the device works in (saturating).
[[nodiscard]] int ClampToInt(std::int64_t v);

// 0.01 mm to dots: v * 1000 / (2540000 / dpi).
[[nodiscard]] int MmToDots(std::int64_t v, int dpi);
// Dots to 0.01 mm, rounded: (v * 2540 + 1270) / dpi.
[[nodiscard]] int DotsToMm(std::int64_t v, int dpi);
// Twips to 0.01 mm: v * 1764 / 1000.
[[nodiscard]] int TwipsToMm(std::int64_t v);

// The current form's magnification (percent) and offset applied to a position given in
// 0.01 mm: v * magnification / 100 + offset.
[[nodiscard]] int Magnify(std::int64_t v, int magnification, int offset = 0);

// 0.01 mm to thousandths of a dot, with the same divisor as MmToDots:
// v * 1000000 / (2540000 / dpi).
[[nodiscard]] long long MmToMilliDots(std::int64_t v, int dpi);

// The transform of the drawing calls: positions in 0.01 mm get the current form's
// magnification and offsets (0.01 mm), then become dots; sizes get the magnification only.
struct PageTransform {
  int dpi = 300;
  int magnification = 100;
  int offsetX = 0;
  int offsetY = 0;
  [[nodiscard]] int X(std::int64_t v) const { return MmToDots(Magnify(v, magnification, offsetX), dpi); }
  [[nodiscard]] int Y(std::int64_t v) const { return MmToDots(Magnify(v, magnification, offsetY), dpi); }
  [[nodiscard]] int Size(std::int64_t v) const { return MmToDots(Magnify(v, magnification), dpi); }
};

// The form pass factor 14400 / dpi (at least 1); 0 when dpi is not positive.
[[nodiscard]] int TwipFactor(int dpi);

// How the form pass scales: resolution, magnification and the form's offsets in dots.
struct FormScale {
  int dpi = 300;
  int magnification = 100;
  int offsetXDots = 0;
  int offsetYDots = 0;
};

// Twips to dots in the form pass: (v * magnification * 10) / (14400 / dpi) / 100 + offset.
[[nodiscard]] int TwipsToDots(std::int64_t v, int magnification, int dpi, int offsetDots = 0);
[[nodiscard]] int FormX(std::int64_t v, const FormScale& s);
[[nodiscard]] int FormY(std::int64_t v, const FormScale& s);
// A size (no offset).
[[nodiscard]] int FormSize(std::int64_t v, const FormScale& s);

// Pen width in dots of a form-pass shape whose width w is in 1/300 inch:
// ((w * 480 / (14400 / dpi) + 9) / 10 * magnification + 99) / 100; any non-zero
// style draws 1 dot wide.
[[nodiscard]] int ShapePenWidth(int style, std::int64_t w, int magnification, int dpi);

// Pen width in dots of FmSetLine: the width (0.01 mm) in dots, then
// (dots * dpi + 299) / 300, at least 1; any style other than 0 draws 1 dot wide.
[[nodiscard]] int LinePenWidth(int style, std::int64_t widthMm, int dpi);

// Corner ellipse size in dots of a form box with corner kind 1, 2 or 3 (2250, 4500 or
// 6750 units of 1/14400 inch): units * magnification / 100 / (14400 / dpi). 0 for any
// other kind (square corners).
[[nodiscard]] int FormCornerSize(int cornerKind, int magnification, int dpi);

// Step between a text and its decoration lines in the form pass:
// ((1440 / (14400 / dpi) + 9) / 10 * magnification + 99) / 100.
[[nodiscard]] int DecorationStep(int magnification, int dpi);

// A device rectangle with its corners ordered; right and bottom are one past the last
// dot so that the given right and bottom edges are drawn (inclusive corners).
struct DotRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const DotRect&) const = default;
};
[[nodiscard]] DotRect InclusiveRect(int x1, int y1, int x2, int y2);

// The corner ellipse of a rounded box, `wanted` dots in both directions but at most the
// box's width and height (of the ordered, inclusive rectangle).
struct CornerSize {
  int width = 0, height = 0;
  bool operator==(const CornerSize&) const = default;
};
[[nodiscard]] CornerSize CapCorner(int wanted, const DotRect& box);

// FmPrintBox: the corner ellipse is twice the radius (0.01 mm, negative = 0) in dots,
// capped by the box.
[[nodiscard]] CornerSize BoxCorner(std::int64_t radiusMm, int dpi, const DotRect& box);

// Start of part k of `total` split into `parts` by running sums: k * total / parts
// (list field columns and rows). 0 when parts is not positive.
[[nodiscard]] int SplitStart(std::int64_t total, int k, int parts);

}  // namespace fd::draw
