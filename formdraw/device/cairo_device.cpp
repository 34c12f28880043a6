#include "formdraw/device/cairo_device.h"

#include <cairo-pdf.h>

#include <cmath>
#include <vector>

#include "formdraw/device/png_writer.h"
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
  if (tile_ != nullptr) cairo_pattern_destroy(tile_);
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
  runFont_ = {};
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
  pdfFile_ = std::make_unique<FileSink>(pdfPath_);
  if (!pdfFile_->Ok()) return false;
  pdfSurface_ = cairo_pdf_surface_create_for_stream(&FileSink::Write, pdfFile_.get(),
                                                    caps_.pageWidth * points, caps_.pageHeight * points);
  if (cairo_surface_status(pdfSurface_) != CAIRO_STATUS_SUCCESS) return false;
  // Reproducible output: a fixed creation date and the document name as title.
  cairo_pdf_surface_set_metadata(pdfSurface_, CAIRO_PDF_METADATA_CREATE_DATE, "2000-01-01T00:00:00");
  cairo_pdf_surface_set_metadata(pdfSurface_, CAIRO_PDF_METADATA_MOD_DATE, "2000-01-01T00:00:00");
  cairo_pdf_surface_set_metadata(pdfSurface_, CAIRO_PDF_METADATA_CREATOR, "fmdraw32");
  std::string title = platform::Cp932ToUtf8(name);
  if (!title.empty()) cairo_pdf_surface_set_metadata(pdfSurface_, CAIRO_PDF_METADATA_TITLE, title.c_str());
  cr_ = cairo_create(pdfSurface_);
  runFont_ = {};
  cairo_scale(cr_, points, 72.0 / caps_.dpiY);
  return Ok();
}

// Cairo keeps the area that a PDF page's drawing covers as a region, extended by every
// drawing call; with hundreds of separate texts and lines each extension costs more than
// the one before. A page therefore starts with a frame drawn just outside its edges (white,
// one dot wide, two dots off the page, so nothing of it shows on the page): it covers the
// whole page at once, and every later extension is immediate. Nothing is painted on the
// page itself, so a page printed over another (a pre-printed form) hides nothing.
bool CairoDevice::StartPage() {
  pageOpen_ = true;
  if (kind_ != Kind::kPdf) return NewImagePage();
  if (cr_ == nullptr) return false;
  cairo_save(cr_);
  cairo_reset_clip(cr_);
  cairo_set_source_rgb(cr_, 1, 1, 1);
  cairo_set_line_width(cr_, 1);
  cairo_set_dash(cr_, nullptr, 0, 0);
  cairo_rectangle(cr_, -2.5, -2.5, caps_.pageWidth + 5.0, caps_.pageHeight + 5.0);
  cairo_stroke(cr_);
  cairo_restore(cr_);
  return Ok();
}

PageError CairoDevice::EndPage() {
  if (!pageOpen_) return PageError::kOther;
  pageOpen_ = false;
  if (kind_ == Kind::kImage) return PageError::kNone;
  if (kind_ == Kind::kPdf) {
    if (Ok()) cairo_show_page(cr_);
    // The document is written as its pages end: a write that fails is a full disk.
    if (!pdfFile_->Ok()) return PageError::kDiskFull;
    const cairo_status_t st = Ok() ? cairo_surface_status(pdfSurface_) : cairo_status(cr_);
    // (A write error reaches the file first: only its callback reports one, checked above.)
    if (st == CAIRO_STATUS_SUCCESS) return PageError::kNone;
    return st == CAIRO_STATUS_NO_MEMORY ? PageError::kMemory : PageError::kOther;
  }
  if (!Ok()) return PageError::kOther;
  std::string path = output_ ? output_->NewFile(".png") : std::string();
  if (path.empty()) return PageError::kOther;
  switch (WritePng(imageSurface_, path)) {
    case PngResult::kOk: return PageError::kNone;
    case PngResult::kNoMemory: return PageError::kMemory;
    case PngResult::kWriteFailed: break;
  }
  return PageError::kDiskFull;
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
    ok = pdfFile_ && pdfFile_->Finish() && ok;  // every byte on the disk, or no document
    pdfFile_.reset();
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
      cairo_surface_destroy(pdfSurface_);  // finishes it while the file is still open
      pdfSurface_ = nullptr;
    }
    pdfFile_.reset();
  }
  if (output_) output_->Abort();
}

bool CairoDevice::SaveImage(const std::string& pngPath) const {
  return imageSurface_ != nullptr && WritePng(imageSurface_, pngPath) == PngResult::kOk;
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
      cairo_set_source(cr_, Tile(brush, opaque));
      cairo_fill_preserve(cr_);
    }
  }
  Stroke();
  return Ok();
}

// The tile of the last hatch or pattern fill is kept: a PDF then holds its picture once
// for all the fills that use it, instead of once a fill.
cairo_pattern_t* CairoDevice::Tile(const Brush& brush, bool opaqueHatch) {
  const TileKey key{brush, opaqueHatch, opaqueHatch ? state_.bkColor : kWhite};
  if (tile_ == nullptr || !(tileKey_ == key)) {
    if (tile_ != nullptr) cairo_pattern_destroy(tile_);
    tile_ = TilePattern(brush, opaqueHatch, key.background);
    tileKey_ = key;
  }
  return tile_;
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

// Glyphs sit where the per-character rules put them: a piece's first character cell has
// its top-left at the piece's point, so its glyph origin is `ascent` below that point
// along the rotated vertical. With an escapement the run is drawn in the rotated space,
// into which the points are turned back.
bool CairoDevice::DoTextRun(std::span<const RunPiece> pieces) {
  if (cr_ == nullptr) return false;
  const PreparedFont font = fonts_.Prepare(state_.font);
  if (font.face == nullptr) return false;
  if (state_.bkMode == BkMode::kTransparent) return ShowRun(font, pieces);
  // An opaque background is painted piece by piece, each before its own glyphs, so a
  // later cell covers an earlier glyph exactly as separate outputs would.
  for (const RunPiece& piece : pieces) {
    PaintPieceBackground(font, piece);
    ShowRun(font, {&piece, 1});
  }
  return Ok();
}

// The run's font is set on the context only when it changes: Cairo looks the scaled font
// up again after every change. A rotated run draws in a rotated space, set up here and
// left in LeaveRunSpace.
bool CairoDevice::EnterRunSpace(const PreparedFont& font) {
  const cairo_matrix_t& m = font.matrix;
  const cairo_matrix_t& a = runFont_.matrix;
  if (runFont_.face != font.face || m.xx != a.xx || m.yx != a.yx || m.xy != a.xy || m.yy != a.yy ||
      m.x0 != a.x0 || m.y0 != a.y0) {
    cairo_set_font_face(cr_, font.face);
    cairo_set_font_matrix(cr_, &font.matrix);
    runFont_ = {font.face, font.matrix};
  }
  if (state_.font.escapement % 3600 == 0) return false;
  cairo_save(cr_);
  cairo_rotate(cr_, -state_.font.escapement * kPi / 1800.0);
  return true;
}

void CairoDevice::LeaveRunSpace(bool rotated) {
  if (rotated) cairo_restore(cr_);
}

// The top-left of a cell at device point `at`, in the run's (possibly rotated) space.
CairoDevice::RunPoint CairoDevice::InRunSpace(Point at) const {
  if (state_.font.escapement % 3600 == 0) return {double(at.x), double(at.y)};
  const double a = state_.font.escapement * kPi / 1800.0;
  return {at.x * std::cos(a) - at.y * std::sin(a), at.x * std::sin(a) + at.y * std::cos(a)};
}

// The glyph origin of a cell whose top-left is at `at`: `ascent` below it. Cairo keeps a
// current point in 1/256 of a device unit, so a text drawn from a moved-to point starts on
// that grid; the origin is put on the same grid so every glyph lands exactly where a text
// output at that point would put it (PDF rasterisers place glyphs on sub-pixel steps,
// and a shift of a thousandth of a pixel can move a glyph to the next step). `space` is
// the run space's transformation to device space and its inverse.
CairoDevice::RunPoint CairoDevice::GlyphOrigin(const PreparedFont& font, const RunSpace& space, Point at) const {
  const RunPoint cell = InRunSpace(at);
  double x = cell.x, y = cell.y + font.ascent;
  cairo_matrix_transform_point(&space.toDevice, &x, &y);
  x = std::nearbyint(x * 256) / 256;
  y = std::nearbyint(y * 256) / 256;
  cairo_matrix_transform_point(&space.toUser, &x, &y);
  return {x, y};
}

void CairoDevice::PaintPieceBackground(const PreparedFont& font, const RunPiece& piece) {
  const std::string utf8 = platform::Cp932ToUtf8(piece.text);
  const bool rotated = EnterRunSpace(font);
  const RunPoint p = InRunSpace(piece.at);
  cairo_text_extents_t extents{};
  cairo_text_extents(cr_, utf8.c_str(), &extents);
  SetSourceColor(state_.bkColor);
  cairo_rectangle(cr_, p.x, p.y, extents.x_advance, font.cellHeight);
  cairo_fill(cr_);
  LeaveRunSpace(rotated);
}

// Single characters come from the glyph cache; longer pieces (and characters that are
// not one glyph) are converted by the scaled font as a text output would convert them.
// The whole run then goes out as one glyph call with its text and clusters, which keeps
// the PDF's text extractable.
bool CairoDevice::ShowRun(const PreparedFont& font, std::span<const RunPiece> pieces) {
  run_.glyphs.clear();
  run_.clusters.clear();
  run_.utf8.clear();
  const bool rotated = EnterRunSpace(font);
  cairo_scaled_font_t* scaled = cairo_get_scaled_font(cr_);
  GlyphTable* table = fonts_.Glyphs(state_.font);
  RunSpace space;
  cairo_get_matrix(cr_, &space.toDevice);
  space.toUser = space.toDevice;
  cairo_matrix_invert(&space.toUser);
  for (const RunPiece& piece : pieces) {
    const RunPoint p = GlyphOrigin(font, space, piece.at);
    const CachedGlyph* glyph = table != nullptr ? table->Find(piece.text) : nullptr;
    if (glyph != nullptr && glyph->single) {
      run_.glyphs.push_back({glyph->index, p.x, p.y});
      run_.clusters.push_back({static_cast<int>(glyph->utf8.size()), 1});
      run_.utf8 += glyph->utf8;
    } else {
      AppendConverted(scaled, platform::Cp932ToUtf8(piece.text), p.x, p.y);
    }
  }
  SetSourceColor(state_.textColor);
  cairo_show_text_glyphs(cr_, run_.utf8.data(), static_cast<int>(run_.utf8.size()), run_.glyphs.data(),
                         static_cast<int>(run_.glyphs.size()), run_.clusters.data(),
                         static_cast<int>(run_.clusters.size()), cairo_text_cluster_flags_t{});
  LeaveRunSpace(rotated);
  return Ok();
}

void CairoDevice::AppendConverted(cairo_scaled_font_t* scaled, const std::string& utf8, double x, double y) {
  cairo_glyph_t* glyphs = nullptr;
  cairo_text_cluster_t* clusters = nullptr;
  int glyphCount = 0, clusterCount = 0;
  cairo_text_cluster_flags_t flags{};
  if (cairo_scaled_font_text_to_glyphs(scaled, x, y, utf8.data(), static_cast<int>(utf8.size()), &glyphs,
                                       &glyphCount, &clusters, &clusterCount, &flags) == CAIRO_STATUS_SUCCESS) {
    run_.glyphs.insert(run_.glyphs.end(), glyphs, glyphs + glyphCount);
    run_.clusters.insert(run_.clusters.end(), clusters, clusters + clusterCount);
    run_.utf8 += utf8;
  }
  cairo_glyph_free(glyphs);
  cairo_text_cluster_free(clusters);
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
