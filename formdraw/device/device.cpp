#include "formdraw/device/device.h"

namespace fmdraw::device {

bool Device::SelectPen(const Pen& pen) {
  if (!DoSelectPen(pen)) return false;
  state_.pen = pen;
  return true;
}

bool Device::SelectBrush(const Brush& brush) {
  if (!DoSelectBrush(brush)) return false;
  state_.brush = brush;
  return true;
}

bool Device::SelectFont(const Font& font) {
  if (!DoSelectFont(font)) return false;
  state_.font = font;
  return true;
}

void Device::SetBkMode(BkMode mode) {
  state_.bkMode = mode;
  DoSetBkMode(mode);
}

void Device::SetBkColor(Color color) {
  state_.bkColor = color;
  DoSetBkColor(color);
}

void Device::SetTextColor(Color color) {
  state_.textColor = color;
  DoSetTextColor(color);
}

bool Device::MoveTo(int32_t x, int32_t y) {
  state_.position = {x, y};
  return DoMoveTo(state_.position);
}

bool Device::LineTo(int32_t x, int32_t y) {
  Point from = state_.position;
  state_.position = {x, y};
  return DoLineTo(from, state_.position);
}

bool Device::Rectangle(const Rect& r) { return DoRectangle(r); }
bool Device::RoundRect(const Rect& r, int32_t cw, int32_t ch) { return DoRoundRect(r, cw, ch); }
bool Device::Ellipse(const Rect& r) { return DoEllipse(r); }
bool Device::Arc(const Rect& r, Point s, Point e) { return DoFigure(Figure::kArc, r, s, e); }
bool Device::Chord(const Rect& r, Point s, Point e) { return DoFigure(Figure::kChord, r, s, e); }
bool Device::Pie(const Rect& r, Point s, Point e) { return DoFigure(Figure::kPie, r, s, e); }

bool Device::Polygon(std::span<const Point> points) {
  if (points.size() < 2) return false;
  return DoPolygon(points);
}

bool Device::TextRun(std::span<const RunPiece> pieces) {
  return pieces.empty() || DoTextRun(pieces);
}

bool Device::TextOut(int32_t x, int32_t y, std::string_view text) {
  const RunPiece piece{text, {x, y}};
  return DoTextRun({&piece, 1});
}
Size Device::TextExtent(std::string_view text) { return DoTextExtent(text); }

bool Device::SetClipRect(const Rect& r) {
  state_.clip = r;
  return DoSetClipRect(r);
}

void Device::ClearClip() {
  state_.clip.reset();
  DoClearClip();
}

bool Device::StretchBitmap(const Bitmap& bitmap, const Rect& target) {
  if (bitmap.width <= 0 || bitmap.height <= 0 ||
      bitmap.pixels.size() < static_cast<std::size_t>(bitmap.width) * bitmap.height)
    return false;
  return DoStretchBitmap(bitmap, target);
}

}  // namespace fmdraw::device
