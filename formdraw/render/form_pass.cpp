#include "formdraw/render/form_pass.h"

#include <algorithm>
#include <string>
#include <vector>

#include "formdraw/form/form_format.h"
#include "formdraw/render/form_images.h"
#include "formdraw/render/layout_descriptor.h"
#include "formdraw/render/text_drawing.h"
#include "formdraw/session/draw_calls.h"
#include "formdraw/session/drawing_settings.h"
#include "formdraw/session/page_cycle.h"

namespace fd::render {

namespace form = fmdraw::form;
namespace device = fmdraw::device;
using fmdraw::session::WorkArea;

namespace {

int Word(const uint8_t* r, int word) { return form::GetI16(r + 2 * word); }
device::Color ColourAt(const uint8_t* r, int offset) {
  return static_cast<device::Color>(form::GetI32(r + offset)) & 0x00FFFFFF;
}

// What the shape records share: pen, fill, frame and background, by record kind.
struct ShapeStyle {
  int penStyle = 0, penWidth = 1, pattern = 1, frame = 1, bkMode = 1;
  device::Color colour = 0, background = device::kWhite;
};

class FormPass {
 public:
  FormPass(WorkArea& area, const form::FormData& form)
      : area_(area), form_(form), dev_(*area.device), scale_(FormScaleOf(area)) {}

  int Run() {
    SaveDevice();
    int status = Begin();
    if (status == 0) status = Walk();
    RestoreDevice();
    return status;
  }

 private:
  // --- pass set-up and tear-down ---
  void SaveDevice() { saved_ = dev_.State(); }

  // 0, or 1 when the default pen and 4 when the default brush cannot be made. (The
  // bitmap brushes need no making ahead here: the device takes brushes as values.)
  int Begin() {
    dev_.SetBkMode(device::BkMode::kTransparent);
    dev_.SetBkColor(device::kWhite);
    const device::Pen pen{0, draw::ShapePenWidth(0, 1, scale_.magnification, scale_.dpi), device::kBlack};
    if (!dev_.SelectPen(pen)) return 1;
    if (!dev_.SelectBrush(device::Brush{})) return 4;
    device::Font placeholder;
    placeholder.height = 50;
    placeholder.width = 50;
    placeholder.charset = draw::kShiftJisCharset;
    placeholder.pitchAndFamily = draw::kFixedPitchRoman;
    placeholder.face = std::string(draw::kMinchoFace);
    dev_.SelectFont(placeholder);
    return 0;
  }

  void RestoreDevice() {
    dev_.SetBkMode(saved_.bkMode);
    dev_.SetBkColor(saved_.bkColor);
    dev_.SetTextColor(saved_.textColor);
    dev_.SelectPen(saved_.pen);
    dev_.SelectBrush(saved_.brush);
    dev_.SelectFont(saved_.font);
  }

  // --- the walk ---
  [[nodiscard]] int Count(int kind) const {
    return static_cast<int>(form_.arrays[kind].size() / form::kRecordSize[kind]);
  }
  [[nodiscard]] const uint8_t* Record(int kind, int index) const {
    return index >= 0 && index < Count(kind) ? form_.Record(kind, index) : nullptr;
  }

  int Walk() {
    for (int i = 0; i < Count(form::kOrder); ++i) {
      const uint8_t* entry = form_.Record(form::kOrder, i);
      const int kind = Word(entry, 1);
      if (Word(entry, 0) != 1 || kind < 1 || kind > 10) continue;
      // Message pumping (setting code 1 = 0) has no message queue to serve here.
      const int status = DrawObject(kind, Word(entry, 2));
      if (status != 0) return status;
    }
    return 0;
  }

  int DrawObject(int kind, int index) {
    const uint8_t* r = Record(kind, index);
    if (r == nullptr) return 0;
    switch (kind) {
      case form::kLine: return DrawLine(r);
      case form::kBox: return DrawBox(r);
      case form::kEllipse: return DrawEllipse(r);
      case form::kArc: return DrawArc(r);
      case form::kPolygon: return DrawPolygon(index);
      case form::kText: DrawText(index); return 0;
      case form::kImage: DrawStaticImage(area_, r, scale_); return 0;
      default: return 0;  // fields are printed by their own calls
    }
  }

  // --- drawing state ---
  [[nodiscard]] device::Color Ink(device::Color c) const { return area_.IsColor() ? c : device::kBlack; }

  void Background(const ShapeStyle& s) {
    const auto mode = s.bkMode == 2 ? device::BkMode::kOpaque : device::BkMode::kTransparent;
    if (dev_.State().bkMode != mode) dev_.SetBkMode(mode);
    if (area_.IsColor() && dev_.State().bkColor != s.background) dev_.SetBkColor(s.background);
  }

  bool Pen(const ShapeStyle& s, bool framed) {
    device::Pen pen{s.penStyle, draw::ShapePenWidth(s.penStyle, s.penWidth, scale_.magnification, scale_.dpi),
                    Ink(s.colour)};
    if (!framed) pen = {device::kPenNull, 1, Ink(s.colour)};
    return dev_.State().pen == pen || dev_.SelectPen(pen);
  }

  // Patterns 0 to 7 take the shape's colour. The bitmap brushes 8 to 13 are made once
  // for the pass and, like monochrome pattern brushes, paint their 0 bits in the
  // device's text colour and their 1 bits in its background colour at drawing time.
  bool Brush(const ShapeStyle& s) {
    device::Brush brush;
    brush.color = Ink(s.colour);
    if (s.pattern == 1 || s.pattern < 0 || s.pattern > 13) {
      brush = device::Brush{device::BrushKind::kHollow};
    } else if (s.pattern >= 2 && s.pattern <= 7) {
      brush.kind = device::BrushKind::kHatch;
      brush.hatch = s.pattern - 2;
    } else if (s.pattern >= 8) {
      brush.kind = device::BrushKind::kPattern;
      brush.bits = fmdraw::session::PatternBitmap(s.pattern);
      brush.color = Ink(dev_.State().textColor);
      brush.background = area_.IsColor() ? dev_.State().bkColor : device::kWhite;
    }
    return dev_.State().brush == brush || dev_.SelectBrush(brush);
  }

  // Background, pen and brush of a filled shape: 0, or the status 5 / 6.
  int PrepareShape(const ShapeStyle& s) {
    Background(s);
    if (!Pen(s, s.frame != 0)) return 5;
    return Brush(s) ? 0 : 6;
  }

  [[nodiscard]] device::Rect Box(int x1, int y1, int x2, int y2) const {
    const draw::DotRect r = draw::InclusiveRect(draw::FormX(x1, scale_), draw::FormY(y1, scale_),
                                                draw::FormX(x2, scale_), draw::FormY(y2, scale_));
    return {r.left, r.top, r.right, r.bottom};
  }
  [[nodiscard]] device::Point At(int x, int y) const {
    return {draw::FormX(x, scale_), draw::FormY(y, scale_)};
  }

  // --- objects ---
  int DrawLine(const uint8_t* r) {
    const ShapeStyle s{Word(r, 2), Word(r, 3), 1, 1, Word(r, 8), ColourAt(r, 18), ColourAt(r, 22)};
    Background(s);
    if (!Pen(s, true)) return 5;
    const device::Point a = At(Word(r, 4), Word(r, 5)), b = At(Word(r, 6), Word(r, 7));
    dev_.MoveTo(a.x, a.y);
    dev_.LineTo(b.x, b.y);
    return 0;
  }

  int DrawBox(const uint8_t* r) {
    const ShapeStyle s{Word(r, 2), Word(r, 3), Word(r, 4), Word(r, 10), Word(r, 11), ColourAt(r, 24),
                       ColourAt(r, 28)};
    if (const int status = PrepareShape(s)) return status;
    const device::Rect box = Box(Word(r, 6), Word(r, 7), Word(r, 8), Word(r, 9));
    const int corner = Word(r, 5);
    if (corner < 1 || corner > 3) {
      dev_.Rectangle(box);
      return 0;
    }
    const draw::CornerSize c = draw::CapCorner(draw::FormCornerSize(corner, scale_.magnification, scale_.dpi),
                                               {box.left, box.top, box.right, box.bottom});
    dev_.RoundRect(box, c.width, c.height);
    return 0;
  }

  int DrawEllipse(const uint8_t* r) {
    const ShapeStyle s{Word(r, 2), Word(r, 3), Word(r, 4), Word(r, 9), Word(r, 10), ColourAt(r, 22),
                       ColourAt(r, 26)};
    if (const int status = PrepareShape(s)) return status;
    dev_.Ellipse(Box(Word(r, 5), Word(r, 6), Word(r, 7), Word(r, 8)));
    return 0;
  }

  int DrawArc(const uint8_t* r) {
    const ShapeStyle s{Word(r, 2), Word(r, 3), Word(r, 4), Word(r, 14), Word(r, 15), ColourAt(r, 32),
                       ColourAt(r, 36)};
    if (const int status = PrepareShape(s)) return status;
    const device::Rect box = Box(Word(r, 6), Word(r, 7), Word(r, 8), Word(r, 9));
    const device::Point start = At(Word(r, 10), Word(r, 11)), end = At(Word(r, 12), Word(r, 13));
    switch (Word(r, 5)) {
      case 2: dev_.Chord(box, start, end); break;
      case 3: dev_.Pie(box, start, end); break;
      default: dev_.Arc(box, start, end); break;
    }
    return 0;
  }

  // Points i of the polygon starting at piece `first`: piece first + i / 10, slot i % 10.
  int DrawPolygon(int first) {
    const uint8_t* head = Record(form::kPolygon, first);
    const int n = Word(head, 8);
    if (n < 2 || first + (n - 1) / 10 >= Count(form::kPolygon)) return 0;
    const ShapeStyle s{Word(head, 2), Word(head, 3), Word(head, 4), Word(head, 5), Word(head, 6),
                       ColourAt(head, 18), ColourAt(head, 22)};
    if (const int status = PrepareShape(s)) return status;
    std::vector<device::Point> points;
    points.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
      const uint8_t* piece = form_.Record(form::kPolygon, first + i / 10);
      points.push_back(At(Word(piece, 13 + i % 10), Word(piece, 23 + i % 10)));
    }
    dev_.Polygon(points);
    return 0;
  }

  // The text of the piece chain from `first`: pieces joined while the continuation flag
  // is 1 and the next piece is used, at most 65,535 bytes.
  [[nodiscard]] std::string PieceChain(int first) const {
    std::string text;
    for (int i = first; i < Count(form::kText); ++i) {
      const uint8_t* piece = form_.Record(form::kText, i);
      if (i > first && piece[16] != 1) break;
      const int n = std::clamp(Word(piece, 0), 0, 32);
      text.append(reinterpret_cast<const char*>(piece + 28), static_cast<std::size_t>(n));
      if (text.size() >= 65535) {
        text.resize(65535);
        break;
      }
      if (piece[18] != 1) break;
    }
    return text;
  }

  void DrawText(int index) {
    const uint8_t* r = form_.Record(form::kText, index);
    const auto d = FromStaticText({r, kStaticTextRecordSize});
    draw::FontEntry entry;
    if (!d || !FontEntryOf(area_, d->font, entry)) return;
    if (area_.IsColor()) dev_.SetTextColor(d->colour & 0x00FFFFFF);
    if (dev_.State().bkMode != device::BkMode::kTransparent) dev_.SetBkMode(device::BkMode::kTransparent);
    const std::string text = PieceChain(index);
    if (d->lineOrder == 0)
      DrawSingleLine(area_, *d, text, entry, scale_);
    else
      DrawFlowText(area_, *d, text, entry, scale_);
  }

  WorkArea& area_;
  const form::FormData& form_;
  device::Device& dev_;
  draw::FormScale scale_;
  device::DeviceState saved_;
};

}  // namespace

int RunFormPass(WorkArea& area) {
  const form::FormData* form = area.forms.CurrentForm();
  if (form == nullptr) return 0;
  return FormPass(area, *form).Run();
}

int PrintForm(WorkArea& area) {
  if (!fmdraw::session::StartPageIfNeeded(area)) return 0;
  PrepareFormImages(area);
  RunFormPass(area);  // its status is not the caller's concern
  fmdraw::session::SetTextColour(area, device::kBlack);
  area.drawing.bkColor = device::kWhite;
  area.drawing.transparentShapes = 0;
  area.drawing.frameOn = 1;
  return 0;
}

}  // namespace fd::render
