#include "formdraw/draw/units.h"

#include <algorithm>

namespace fd::draw {
int ClampToInt(std::int64_t v) {
  return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

namespace {
int Clamp32(std::int64_t v) { return ClampToInt(v); }
}  // namespace

int MmToDots(std::int64_t v, int dpi) {
  if (dpi <= 0) return 0;
  const std::int64_t perThousand = 2540000 / dpi;
  if (perThousand == 0) return Clamp32(v * 1000);  // beyond 2.54 million dpi
  return Clamp32(v * 1000 / perThousand);
}

long long MmToMilliDots(std::int64_t v, int dpi) {
  if (dpi <= 0) return 0;
  const std::int64_t perThousand = 2540000 / dpi;
  if (perThousand == 0) return v * 1000000;
  return v * 1000000 / perThousand;
}

int DotsToMm(std::int64_t v, int dpi) {
  if (dpi <= 0) return 0;
  return Clamp32((v * 2540 + 1270) / dpi);
}

int TwipsToMm(std::int64_t v) { return Clamp32(v * 1764 / 1000); }

int Magnify(std::int64_t v, int magnification, int offset) {
  return Clamp32(v * magnification / 100 + offset);
}

int TwipFactor(int dpi) {
  if (dpi <= 0) return 0;
  return std::max(1, 14400 / dpi);
}

int TwipsToDots(std::int64_t v, int magnification, int dpi, int offsetDots) {
  const int f = TwipFactor(dpi);
  if (f == 0) return offsetDots;
  return Clamp32(v * magnification * 10 / f / 100 + offsetDots);
}

int FormX(std::int64_t v, const FormScale& s) {
  return TwipsToDots(v, s.magnification, s.dpi, s.offsetXDots);
}
int FormY(std::int64_t v, const FormScale& s) {
  return TwipsToDots(v, s.magnification, s.dpi, s.offsetYDots);
}
int FormSize(std::int64_t v, const FormScale& s) { return TwipsToDots(v, s.magnification, s.dpi); }

int ShapePenWidth(int style, std::int64_t w, int magnification, int dpi) {
  if (style != 0) return 1;
  const int f = TwipFactor(dpi);
  if (f == 0) return 0;
  return Clamp32(((w * 480 / f + 9) / 10 * magnification + 99) / 100);
}

int LinePenWidth(int style, std::int64_t widthMm, int dpi) {
  if (style != 0) return 1;
  const std::int64_t dots = MmToDots(widthMm, dpi);
  return std::max(1, Clamp32((dots * dpi + 299) / 300));
}

int FormCornerSize(int cornerKind, int magnification, int dpi) {
  if (cornerKind < 1 || cornerKind > 3) return 0;
  const int f = TwipFactor(dpi);
  if (f == 0) return 0;
  const std::int64_t units = 2250LL * cornerKind;
  return Clamp32(units * magnification / 100 / f);
}

int DecorationStep(int magnification, int dpi) {
  const int f = TwipFactor(dpi);
  if (f == 0) return 0;
  return Clamp32(((1440 / f + 9) / 10 * static_cast<std::int64_t>(magnification) + 99) / 100);
}

DotRect InclusiveRect(int x1, int y1, int x2, int y2) {
  const auto [l, r] = std::minmax(x1, x2);
  const auto [t, b] = std::minmax(y1, y2);
  return {l, t, Clamp32(std::int64_t{r} + 1), Clamp32(std::int64_t{b} + 1)};
}

CornerSize CapCorner(int wanted, const DotRect& box) {
  const int w = Clamp32(std::int64_t{box.right} - box.left);
  const int h = Clamp32(std::int64_t{box.bottom} - box.top);
  return {std::min(wanted, w), std::min(wanted, h)};
}

CornerSize BoxCorner(std::int64_t radiusMm, int dpi, const DotRect& box) {
  const std::int64_t r = std::max<std::int64_t>(0, radiusMm);
  return CapCorner(Clamp32(2LL * MmToDots(r, dpi)), box);
}

int SplitStart(std::int64_t total, int k, int parts) {
  if (parts <= 0) return 0;
  return Clamp32(total * k / parts);
}

}  // namespace fd::draw
