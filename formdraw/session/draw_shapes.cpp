// FmPrintLine, FmPrintBox, FmPrintPolygon and the ellipse figures, drawn with the
// selected pen and pattern. Setting code 3 picks the background mode; with code 4 = 0
// the filled figures are drawn without their outline.
#include <vector>

#include "formdraw/session/draw_calls.h"
#include "formdraw/session/page_cycle.h"

namespace fmdraw::session {

namespace {

void ShapeBackground(WorkArea& area) {
  area.device->SetBkMode(area.drawing.transparentShapes == 1 ? device::BkMode::kTransparent
                                                             : device::BkMode::kOpaque);
}

// Draws a filled figure; with the frame off, under an invisible pen that is taken away
// again afterwards.
template <typename Draw>
bool Framed(WorkArea& area, Draw draw) {
  if (area.drawing.frameOn != 0) return draw();
  device::Device& dev = *area.device;
  const device::Pen before = dev.State().pen;
  device::Pen none;
  none.style = device::kPenNull;
  dev.SelectPen(none);
  const bool ok = draw();
  dev.SelectPen(before);
  return ok;
}

device::Rect RectOf(const WorkArea& area, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const fd::draw::PageTransform t = TransformOf(area);
  const fd::draw::DotRect r = fd::draw::InclusiveRect(t.X(x1), t.Y(y1), t.X(x2), t.Y(y2));
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

int PrintLine(WorkArea& area, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (!StartPageIfNeeded(area)) return -3;
  ShapeBackground(area);
  const fd::draw::PageTransform t = TransformOf(area);
  device::Device& dev = *area.device;
  const bool ok = dev.MoveTo(t.X(x1), t.Y(y1)) && dev.LineTo(t.X(x2), t.Y(y2));
  return ok ? 0 : -3;
}

int PrintBox(WorkArea& area, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t radius) {
  if (!StartPageIfNeeded(area)) return -3;
  ShapeBackground(area);
  const device::Rect r = RectOf(area, x1, y1, x2, y2);
  const bool ok = Framed(area, [&] {
    if (radius <= 0) return area.device->Rectangle(r);
    const fd::draw::CornerSize c =
        fd::draw::BoxCorner(radius, area.dpi, {r.left, r.top, r.right, r.bottom});
    return area.device->RoundRect(r, c.width, c.height);
  });
  return ok ? 0 : -3;
}

int PrintPolygon(WorkArea& area, std::span<const int32_t> xy) {
  if (xy.size() < 2) return -2;
  std::vector<device::Point> points;
  points.reserve(xy.size() / 2);
  if (!StartPageIfNeeded(area)) return -3;
  const fd::draw::PageTransform t = TransformOf(area);
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) points.push_back({t.X(xy[i]), t.Y(xy[i + 1])});
  ShapeBackground(area);
  return Framed(area, [&] { return area.device->Polygon(points); }) ? 0 : -3;
}

int PrintEllipseFigure(WorkArea& area, EllipseFigure figure, int32_t x1, int32_t y1, int32_t x2,
                       int32_t y2, device::Point start, device::Point end) {
  if (!StartPageIfNeeded(area)) return -3;
  const device::Rect r = RectOf(area, x1, y1, x2, y2);
  const fd::draw::PageTransform t = TransformOf(area);
  const device::Point s{t.X(start.x), t.Y(start.y)}, e{t.X(end.x), t.Y(end.y)};
  device::Device& dev = *area.device;
  // An arc is an outline only: no background mode, and it keeps its pen.
  if (figure == EllipseFigure::kArc) return dev.Arc(r, s, e) ? 0 : -3;
  ShapeBackground(area);
  const bool ok = Framed(area, [&] {
    switch (figure) {
      case EllipseFigure::kChord: return dev.Chord(r, s, e);
      case EllipseFigure::kPie: return dev.Pie(r, s, e);
      default: return dev.Ellipse(r);
    }
  });
  return ok ? 0 : -3;
}

}  // namespace fmdraw::session
