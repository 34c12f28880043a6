#include "formdraw/device/cairo_device.h"

#include <cairo-pdf.h>

#include <cmath>
#include <vector>

#include "platform/codepage.h"

namespace fmdraw::device {

namespace {

constexpr double kPi = 3.14159265358979323846;

double Red(Color c) { return (c & 0xFF) / 255.0; }
double Green(Color c) { return ((c >> 8) & 0xFF) / 255.0; }
double Blue(Color c) { return ((c >> 16) & 0xFF) / 255.0; }

uint32_t Argb(Color c) {
  return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// Dot patterns of the styled pens (on, off, ...), in dots.
std::vector<double> DashesFor(int style) {
  switch (style) {
    case kPenDash: return {18, 6};
    case kPenDot: return {3, 3};
    case kPenDashDot: return {9, 6, 3, 6};
    case kPenDashDotDot: return {9, 3, 3, 3, 3, 3};
    default: return {};
  }
}

// An 8x8 tile for hatch and pattern brushes; transparent pixels let the background
// through (hatch gaps are filled separately when the background mode is opaque).
cairo_pattern_t* TilePattern(const Brush& brush, bool opaqueHatch, Color bk) {
  cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  cairo_surface_flush(tile);
  auto* data = cairo_image_surface_get_data(tile);
  int stride = cairo_image_surface_get_stride(tile);
  for (int y = 0; y < 8; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < 8; ++x) {
      bool on = false;
      if (brush.kind == BrushKind::kPattern) {
        bool bit = (brush.bits[y] >> (7 - x)) & 1;
        row[x] = Argb(bit ? brush.background : brush.color);
        continue;
      }
      switch (brush.hatch) {
        case 0: on = y == 4; break;
        case 1: on = x == 4; break;
        case 2: on = x == y; break;              // forward diagonal: top left to bottom right
        case 3: on = x == 7 - y; break;          // backward diagonal: bottom left to top right
        case 4: on = x == 4 || y == 4; break;
        default: on = x == y || x == 7 - y; break;
      }
      row[x] = on ? Argb(brush.color) : (opaqueHatch ? Argb(bk) : 0u);
    }
  }
  cairo_surface_mark_dirty(tile);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile);
  cairo_surface_destroy(tile);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  return pattern;
}

}  // namespace

CairoDevice::CairoDevice(Kind kind, const DeviceCaps& caps, std::unique_ptr<DocumentOutput> output)
    : Device(caps), kind_(kind), output_(std::move(output)) {
  if (kind_ == Kind::kImage) NewImagePage();
}

CairoDevice::~CairoDevice() {
  if (cr_ != nullptr) cairo_destroy(cr_);
  if (pdfSurface_ != nullptr) cairo_surface_destroy(pdfSurface_);
  if (imageSurface_ != nullptr) cairo_surface_destroy(imageSurface_);
}

bool CairoDevice::Ok() const { return cr_ != nullptr && cairo_status(cr_) == CAIRO_STATUS_SUCCESS; }

bool CairoDevice::NewImagePage() {
  if (cr_ != nullptr) cairo_destroy(cr_);
  if (imageSurface_ != nullptr) cairo_surface_destroy(imageSurface_);
  cr_ = nullptr;
  imageSurface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(1, caps_.pageWidth),
                                             std::max(1, caps_.pageHeight));
  if (cairo_surface_status(imageSurface_) != CAIRO_STATUS_SUCCESS) return false;
  cr_ = cairo_create(imageSurface_);
  cairo_set_source_rgb(cr_, 1, 1, 1);
  cairo_paint(cr_);
  return Ok();
}

bool CairoDevice::StartDoc(std::string_view name) {
  docName_ = std::string(name);
  if (kind_ != Kind::kPdf) return true;
  if (!output_) return false;
  pdfPath_ = output_->NewFile(".pdf");
  if (pdfPath_.empty()) return false;
  double points = 72.0 / caps_.dpiX;
  pdfSurface_ = cairo_pdf_surface_create(pdfPath_.c_str(), caps_.pageWidth * points,
                                         caps_.pageHeight * points);
  if (cairo_surface_status(pdfSurface_) != CAIRO_STATUS_SUCCESS) return false;
  // Reproducible output: a fixed creation date and the document name as title.
  cairo_pdf_surface_set_metadata(pdfSurface_, CAIRO_PDF_METADATA_CREATE_DATE, "2000-01-01T00:00:00");
  cairo_pdf_surface_set_metadata(pdfSurface_, CAIRO_PDF_METADATA_MOD_DATE, "2000-01-01T00:00:00");
  cairo_pdf_surface_set_metadata(pdfSurface_, CAIRO_PDF_METADATA_CREATOR, "fmdraw32");
  std::string title = platform::Cp932ToUtf8(name);
  if (!title.empty()) cairo_pdf_surface_set_metadata(pdfSurface_, CAIRO_PDF_METADATA_TITLE, title.c_str());
  cr_ = cairo_create(pdfSurface_);
  cairo_scale(cr_, points, 72.0 / caps_.dpiY);
  return Ok();
}

bool CairoDevice::StartPage() {
  pageOpen_ = true;
  if (kind_ == Kind::kPdf) return Ok();
  return NewImagePage();
}

PageError CairoDevice::EndPage() {
  if (!pageOpen_) return PageError::kOther;
  pageOpen_ = false;
  if (kind_ == Kind::kImage) return PageError::kNone;
  if (!Ok()) return PageError::kOther;
  if (kind_ == Kind::kPdf) {
    cairo_show_page(cr_);
    return Ok() ? PageError::kNone : PageError::kOther;
  }
  std::string path = output_ ? output_->NewFile(".png") : std::string();
  if (path.empty()) return PageError::kOther;
  cairo_surface_flush(imageSurface_);
  cairo_status_t st = cairo_surface_write_to_png(imageSurface_, path.c_str());
  if (st == CAIRO_STATUS_NO_MEMORY) return PageError::kMemory;
  return st == CAIRO_STATUS_SUCCESS ? PageError::kNone : PageError::kDiskFull;
}

bool CairoDevice::EndDoc() {
  bool ok = true;
  if (kind_ == Kind::kPdf) {
    ok = Ok();
    if (cr_ != nullptr) cairo_destroy(cr_);
    cr_ = nullptr;
    if (pdfSurface_ != nullptr) {
      cairo_surface_finish(pdfSurface_);
      ok = ok && cairo_surface_status(pdfSurface_) == CAIRO_STATUS_SUCCESS;
      cairo_surface_destroy(pdfSurface_);
      pdfSurface_ = nullptr;
    }
  }
  if (kind_ == Kind::kImage || !output_) return ok;
  if (!ok) {
    output_->Abort();
    return false;
  }
  return output_->Commit(docName_, false);
}

void CairoDevice::AbortDoc() {
  if (kind_ == Kind::kPdf) {
    if (cr_ != nullptr) cairo_destroy(cr_);
    cr_ = nullptr;
    if (pdfSurface_ != nullptr) {
      cairo_surface_finish(pdfSurface_);
      cairo_surface_destroy(pdfSurface_);
      pdfSurface_ = nullptr;
    }
  }
  if (output_) output_->Abort();
}

bool CairoDevice::SaveImage(const std::string& pngPath) const {
  return imageSurface_ != nullptr &&
         cairo_surface_write_to_png(imageSurface_, pngPath.c_str()) == CAIRO_STATUS_SUCCESS;
}

bool CairoDevice::DoSelectPen(const Pen&) { return true; }
bool CairoDevice::DoSelectBrush(const Brush&) { return true; }
bool CairoDevice::DoSelectFont(const Font& font) { return fonts_.Prepare(font).face != nullptr; }

void CairoDevice::SetSourceColor(Color c) { cairo_set_source_rgb(cr_, Red(c), Green(c), Blue(c)); }

// Strokes the current path with the selected pen (centred on pixel centres by callers).
void CairoDevice::Stroke() {
  const Pen& pen = state_.pen;
  if (pen.style == kPenNull) {
    cairo_new_path(cr_);
    return;
  }
  cairo_set_line_width(cr_, std::max(1, pen.width));
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
  auto dashes = DashesFor(pen.style);
  if (!dashes.empty() && state_.bkMode == BkMode::kOpaque) {
    SetSourceColor(state_.bkColor);
    cairo_set_dash(cr_, nullptr, 0, 0);
    cairo_stroke_preserve(cr_);
  }
  cairo_set_dash(cr_, dashes.data(), static_cast<int>(dashes.size()), 0);
  SetSourceColor(pen.color);
  cairo_stroke(cr_);
  cairo_set_dash(cr_, nullptr, 0, 0);
}

bool CairoDevice::FillAndStroke(bool fill) {
  const Brush& brush = state_.brush;
  if (fill && brush.kind != BrushKind::kHollow) {
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
    if (brush.kind == BrushKind::kSolid) {
      SetSourceColor(brush.color);
      cairo_fill_preserve(cr_);
    } else {
      bool opaque = brush.kind == BrushKind::kHatch && state_.bkMode == BkMode::kOpaque;
      cairo_pattern_t* pattern = TilePattern(brush, opaque, state_.bkColor);
      cairo_set_source(cr_, pattern);
      cairo_fill_preserve(cr_);
      cairo_pattern_destroy(pattern);
    }
  }
  Stroke();
  return Ok();
}

bool CairoDevice::DoLineTo(Point from, Point to) {
  if (cr_ == nullptr) return false;
  cairo_move_to(cr_, from.x + 0.5, from.y + 0.5);
  cairo_line_to(cr_, to.x + 0.5, to.y + 0.5);
  Stroke();
  return Ok();
}

bool CairoDevice::DoRectangle(const Rect& r) {
  if (cr_ == nullptr) return false;
  cairo_rectangle(cr_, r.left + 0.5, r.top + 0.5, r.right - r.left - 1, r.bottom - r.top - 1);
  return FillAndStroke(true);
}

bool CairoDevice::DoRoundRect(const Rect& r, int32_t cw, int32_t ch) {
  if (cr_ == nullptr) return false;
  double l = r.left + 0.5, t = r.top + 0.5, w = r.right - r.left - 1.0, h = r.bottom - r.top - 1.0;
  double rx = std::min(std::abs(cw) / 2.0, w / 2), ry = std::min(std::abs(ch) / 2.0, h / 2);
  if (rx <= 0 || ry <= 0) return DoRectangle(r);
  cairo_new_path(cr_);
  auto corner = [&](double cx, double cy, double a1, double a2) {
    cairo_save(cr_);
    cairo_translate(cr_, cx, cy);
    cairo_scale(cr_, rx, ry);
    cairo_arc(cr_, 0, 0, 1, a1, a2);
    cairo_restore(cr_);
  };
  corner(l + w - rx, t + ry, -kPi / 2, 0);
  corner(l + w - rx, t + h - ry, 0, kPi / 2);
  corner(l + rx, t + h - ry, kPi / 2, kPi);
  corner(l + rx, t + ry, kPi, 3 * kPi / 2);
  cairo_close_path(cr_);
  return FillAndStroke(true);
}

bool CairoDevice::DoEllipse(const Rect& r) {
  if (cr_ == nullptr) return false;
  double w = r.right - r.left - 1.0, h = r.bottom - r.top - 1.0;
  cairo_new_path(cr_);
  cairo_save(cr_);
  cairo_translate(cr_, r.left + 0.5 + w / 2, r.top + 0.5 + h / 2);
  cairo_scale(cr_, std::max(w / 2, 0.01), std::max(h / 2, 0.01));
  cairo_arc(cr_, 0, 0, 1, 0, 2 * kPi);
  cairo_restore(cr_);
  cairo_close_path(cr_);
  return FillAndStroke(true);
}

// Angles are taken on the unit circle of the ellipse; counter-clockwise on the page is
// the negative direction in Cairo's y-down space.
bool CairoDevice::DoFigure(Figure figure, const Rect& r, Point start, Point end) {
  if (cr_ == nullptr) return false;
  double w = r.right - r.left - 1.0, h = r.bottom - r.top - 1.0;
  double cx = r.left + 0.5 + w / 2, cy = r.top + 0.5 + h / 2;
  double rx = std::max(w / 2, 0.01), ry = std::max(h / 2, 0.01);
  double a1 = std::atan2((start.y - cy) / ry, (start.x - cx) / rx);
  double a2 = std::atan2((end.y - cy) / ry, (end.x - cx) / rx);
  cairo_new_path(cr_);
  cairo_save(cr_);
  cairo_translate(cr_, cx, cy);
  cairo_scale(cr_, rx, ry);
  cairo_arc_negative(cr_, 0, 0, 1, a1, a2 >= a1 ? a2 - 2 * kPi : a2);
  if (figure == Figure::kPie) cairo_line_to(cr_, 0, 0);
  cairo_restore(cr_);
  if (figure != Figure::kArc) cairo_close_path(cr_);
  return FillAndStroke(figure != Figure::kArc);
}

bool CairoDevice::DoPolygon(std::span<const Point> points) {
  if (cr_ == nullptr) return false;
  cairo_new_path(cr_);
  cairo_move_to(cr_, points[0].x + 0.5, points[0].y + 0.5);
  for (std::size_t i = 1; i < points.size(); ++i) cairo_line_to(cr_, points[i].x + 0.5, points[i].y + 0.5);
  cairo_close_path(cr_);
  return FillAndStroke(true);
}

bool CairoDevice::DoTextOut(int32_t x, int32_t y, std::string_view text) {
  if (cr_ == nullptr) return false;
  PreparedFont font = fonts_.Prepare(state_.font);
  if (font.face == nullptr) return false;
  std::string utf8 = platform::Cp932ToUtf8(text);
  cairo_save(cr_);
  cairo_translate(cr_, x, y);
  cairo_rotate(cr_, -state_.font.escapement * kPi / 1800.0);
  cairo_set_font_face(cr_, font.face);
  cairo_set_font_matrix(cr_, &font.matrix);
  if (state_.bkMode == BkMode::kOpaque) {
    cairo_text_extents_t extents{};
    cairo_text_extents(cr_, utf8.c_str(), &extents);
    SetSourceColor(state_.bkColor);
    cairo_rectangle(cr_, 0, 0, extents.x_advance, font.cellHeight);
    cairo_fill(cr_);
  }
  SetSourceColor(state_.textColor);
  cairo_move_to(cr_, 0, font.ascent);
  cairo_show_text(cr_, utf8.c_str());
  cairo_restore(cr_);
  return Ok();
}

Size CairoDevice::DoTextExtent(std::string_view text) { return fonts_.Measure(state_.font, text); }

void CairoDevice::ApplyClip() {
  cairo_reset_clip(cr_);
  if (state_.clip) {
    const Rect& r = *state_.clip;
    cairo_rectangle(cr_, r.left, r.top, r.right - r.left, r.bottom - r.top);
    cairo_clip(cr_);
  }
}

bool CairoDevice::DoSetClipRect(const Rect&) {
  if (cr_ == nullptr) return false;
  ApplyClip();
  return Ok();
}

void CairoDevice::DoClearClip() {
  if (cr_ != nullptr) cairo_reset_clip(cr_);
}

bool CairoDevice::DoStretchBitmap(const Bitmap& bitmap, const Rect& t) {
  if (cr_ == nullptr) return false;
  cairo_surface_t* source = cairo_image_surface_create(CAIRO_FORMAT_RGB24, bitmap.width, bitmap.height);
  if (cairo_surface_status(source) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(source);
    return false;
  }
  cairo_surface_flush(source);
  auto* data = cairo_image_surface_get_data(source);
  int stride = cairo_image_surface_get_stride(source);
  for (int y = 0; y < bitmap.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < bitmap.width; ++x) row[x] = bitmap.pixels[static_cast<std::size_t>(y) * bitmap.width + x];
  }
  cairo_surface_mark_dirty(source);
  double w = t.right - t.left, h = t.bottom - t.top;
  cairo_save(cr_);
  cairo_translate(cr_, t.left, t.top);
  cairo_scale(cr_, w / bitmap.width, h / bitmap.height);
  cairo_set_source_surface(cr_, source, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
  cairo_rectangle(cr_, 0, 0, bitmap.width, bitmap.height);
  cairo_fill(cr_);
  cairo_restore(cr_);
  cairo_surface_destroy(source);
  return Ok();
}

}  // namespace fmdraw::device
