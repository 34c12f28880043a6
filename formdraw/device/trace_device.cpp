#include "formdraw/device/trace_device.h"

#include <cstdio>
#include <fstream>

#include "platform/codepage.h"

namespace fmdraw::device {

std::string TraceColor(Color color) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%06X", color & 0xFFFFFFu);
  return buffer;
}

std::string TraceQuote(std::string_view cp932) {
  std::string utf8 = platform::Cp932ToUtf8(cp932);
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(c));
    } else if (c < 0x20 || c == 0x7F) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
      out += buffer;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out + "\"";
}

namespace {

std::string Join(std::initializer_list<int32_t> values) {
  std::string out;
  for (int32_t v : values) out += " " + std::to_string(v);
  return out;
}

std::string RectText(const Rect& r) { return Join({r.left, r.top, r.right, r.bottom}); }

}  // namespace

TraceDevice::TraceDevice(const DeviceCaps& caps, std::unique_ptr<DocumentOutput> output)
    : Device(caps), output_(std::move(output)) {}

TraceDevice::~TraceDevice() = default;

void TraceDevice::Emit(std::string line) { lines_.push_back(std::move(line)); }

bool TraceDevice::StartDoc(std::string_view name) {
  lines_.clear();
  docName_ = std::string(name);
  inDoc_ = true;
  Emit("StartDoc " + TraceQuote(name) + " dpi=" + std::to_string(caps_.dpiX) + " page=" +
       std::to_string(caps_.pageWidth) + "x" + std::to_string(caps_.pageHeight));
  return true;
}

bool TraceDevice::StartPage() {
  Emit("StartPage");
  return true;
}

PageError TraceDevice::EndPage() {
  Emit("EndPage");
  return PageError::kNone;
}

bool TraceDevice::EndDoc() {
  Emit("EndDoc");
  inDoc_ = false;
  if (!output_) return true;
  std::string path = output_->NewFile(".trace.txt");
  if (path.empty()) return false;
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const auto& line : lines_) out << line << '\n';
    if (!out) {
      output_->Abort();
      return false;
    }
  }
  return output_->Commit(docName_, false);
}

void TraceDevice::AbortDoc() {
  Emit("AbortDoc");
  inDoc_ = false;
  if (output_) output_->Abort();
}

bool TraceDevice::DoSelectPen(const Pen& pen) {
  Emit("SelectPen style=" + std::to_string(pen.style) + " width=" + std::to_string(pen.width) +
       " color=" + TraceColor(pen.color));
  return true;
}

bool TraceDevice::DoSelectBrush(const Brush& brush) {
  switch (brush.kind) {
    case BrushKind::kSolid: Emit("SelectBrush solid color=" + TraceColor(brush.color)); break;
    case BrushKind::kHollow: Emit("SelectBrush hollow"); break;
    case BrushKind::kHatch:
      Emit("SelectBrush hatch=" + std::to_string(brush.hatch) + " color=" + TraceColor(brush.color));
      break;
    case BrushKind::kPattern: {
      std::string bits;
      char buffer[4];
      for (uint8_t b : brush.bits) {
        std::snprintf(buffer, sizeof buffer, "%02X", b);
        bits += buffer;
      }
      Emit("SelectBrush pattern=" + bits + " color=" + TraceColor(brush.color) +
           " background=" + TraceColor(brush.background));
      break;
    }
  }
  return true;
}

bool TraceDevice::DoSelectFont(const Font& f) {
  Emit("SelectFont height=" + std::to_string(f.height) + " width=" + std::to_string(f.width) +
       " escapement=" + std::to_string(f.escapement) + " weight=" + std::to_string(f.weight) +
       " italic=" + std::to_string(f.italic ? 1 : 0) + " charset=" + std::to_string(f.charset) +
       " pitchfamily=" + std::to_string(f.pitchAndFamily) + " face=" + TraceQuote(f.face));
  return true;
}

void TraceDevice::DoSetBkMode(BkMode mode) {
  Emit(std::string("SetBkMode ") + (mode == BkMode::kTransparent ? "transparent" : "opaque"));
}
void TraceDevice::DoSetBkColor(Color color) { Emit("SetBkColor " + TraceColor(color)); }
void TraceDevice::DoSetTextColor(Color color) { Emit("SetTextColor " + TraceColor(color)); }

bool TraceDevice::DoMoveTo(Point p) {
  Emit("MoveTo" + Join({p.x, p.y}));
  return true;
}

bool TraceDevice::DoLineTo(Point /*from*/, Point to) {
  Emit("LineTo" + Join({to.x, to.y}));
  return true;
}

bool TraceDevice::DoRectangle(const Rect& r) {
  Emit("Rectangle" + RectText(r));
  return true;
}

bool TraceDevice::DoRoundRect(const Rect& r, int32_t cw, int32_t ch) {
  Emit("RoundRect" + RectText(r) + Join({cw, ch}));
  return true;
}

bool TraceDevice::DoEllipse(const Rect& r) {
  Emit("Ellipse" + RectText(r));
  return true;
}

bool TraceDevice::DoFigure(Figure figure, const Rect& r, Point s, Point e) {
  const char* name = figure == Figure::kArc ? "Arc" : figure == Figure::kChord ? "Chord" : "Pie";
  Emit(name + RectText(r) + Join({s.x, s.y, e.x, e.y}));
  return true;
}

bool TraceDevice::DoPolygon(std::span<const Point> points) {
  std::string line = "Polygon " + std::to_string(points.size());
  for (const Point& p : points) line += " " + std::to_string(p.x) + "," + std::to_string(p.y);
  Emit(line);
  return true;
}

bool TraceDevice::DoTextRun(std::span<const RunPiece> pieces) {
  std::string line = "TextRun " + std::to_string(pieces.size());
  for (const RunPiece& p : pieces)
    line += " " + std::to_string(p.at.x) + "," + std::to_string(p.at.y) + " " + TraceQuote(p.text);
  Emit(std::move(line));
  return true;
}

Size TraceDevice::DoTextExtent(std::string_view text) { return fonts_.Measure(state_.font, text); }

bool TraceDevice::DoSetClipRect(const Rect& r) {
  Emit("SetClipRect" + RectText(r));
  return true;
}

void TraceDevice::DoClearClip() { Emit("ClearClip"); }

bool TraceDevice::DoStretchBitmap(const Bitmap& bitmap, const Rect& t) {
  Emit("StretchBitmap" + RectText(t) + " source=" + std::to_string(bitmap.width) + "x" +
       std::to_string(bitmap.height));
  return true;
}

}  // namespace fmdraw::device
