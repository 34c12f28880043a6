#include "formdraw/draw/decoration.h"

#include <algorithm>
#include <optional>

#include "formdraw/draw/units.h"

namespace fd::draw {
namespace {

// Style and width (1/300 inch in the form pass, 0.01 mm for fields) of an underline
// kind; none for kind 0 or unknown kinds.
std::optional<std::pair<int, int>> UnderlinePen(int kind, DecorationPens pens) {
  if (kind == 1 || kind == 3) return std::pair{0, 1};
  if (kind == 2) return std::pair{0, pens == DecorationPens::kField ? 53 : 4};
  if (kind >= 4 && kind <= 7) return std::pair{kind - 3, 1};
  return std::nullopt;
}

PenSpec MakePen(int style, int width, int magnification, int dpi, DecorationPens pens) {
  if (pens == DecorationPens::kField) return {style, LinePenWidth(style, width, dpi)};
  return {style, ShapePenWidth(style, width, magnification, dpi)};
}

// A line parallel to the text at `offset` across the axis: a horizontal text gets a
// horizontal line at y = offset, a vertical text a vertical line at x = offset.
LineSegment Across(const TextBox& b, bool vertical, long long at, PenSpec pen) {
  const int offset = ClampToInt(at);
  if (vertical) return {{offset, b.top}, {offset, b.bottom}, pen};
  return {{b.left, offset}, {b.right, offset}, pen};
}

}  // namespace

TextBox BoxOf(const TextPlacement& p) {
  return {std::min(p.first.x, p.end.x), std::min(p.first.y, p.end.y), std::max(p.first.x, p.end.x),
          std::max(p.first.y, p.end.y)};
}

std::vector<LineSegment> Decorate(const TextBox& box, bool vertical, DecorationKinds kinds,
                                  int step, int magnification, int dpi, DecorationPens pens) {
  std::vector<LineSegment> out;
  if (const auto u = UnderlinePen(kinds.underline, pens)) {
    const PenSpec pen = MakePen(u->first, u->second, magnification, dpi, pens);
    // Below a horizontal text, left of a vertical one.
    const long long base = vertical ? box.left : box.bottom;
    const long long away = vertical ? -step : step;
    out.push_back(Across(box, vertical, base + away, pen));
    if (kinds.underline == 3) out.push_back(Across(box, vertical, base + 3 * away, pen));
  }
  if (kinds.strike == 1 || kinds.strike == 2) {
    const PenSpec pen = MakePen(0, 1, magnification, dpi, pens);
    const long long middle = vertical ? (0LL + box.left + box.right) / 2
                                      : (0LL + box.top + box.bottom) / 2;
    if (kinds.strike == 1) {
      out.push_back(Across(box, vertical, middle, pen));
    } else {
      out.push_back(Across(box, vertical, middle - step, pen));  // 64-bit: no overflow
      out.push_back(Across(box, vertical, middle + step, pen));
    }
  }
  return out;
}

}  // namespace fd::draw
