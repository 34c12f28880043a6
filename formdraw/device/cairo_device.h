// The Cairo backends of the drawing device.
//  - kPdf: one PDF per document (all its pages), fonts embedded as subsets, fixed
//    creation date so output is reproducible; delivered through a DocumentOutput.
//  - kPng: one image per page, written as PNG at the end of the page.
//  - kImage: draws into one image kept in memory (display sessions); pages only clear it.
// Device dots are Cairo user units (PDF pages are scaled by 72 / dpi). Drawing follows
// the Windows rules: rectangles exclude their right and bottom edge, figures run
// counter-clockwise, polygons fill alternately, styled pens use fixed dot patterns and
// fill their gaps with the background colour when the mode is opaque.
#pragma once

#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

#include "formdraw/device/device.h"
#include "formdraw/device/document_output.h"
#include "formdraw/device/file_sink.h"
#include "formdraw/device/font_engine.h"

namespace fmdraw::device {

class CairoDevice : public Device {
 public:
  enum class Kind { kPdf, kPng, kImage };

  CairoDevice(Kind kind, const DeviceCaps& caps, std::unique_ptr<DocumentOutput> output);
  ~CairoDevice() override;

  // The image of a kImage device (or the current page of a kPng device); may be null.
  [[nodiscard]] cairo_surface_t* Image() const { return imageSurface_; }
  // Writes the kImage picture as PNG (for people to look at); false on failure.
  bool SaveImage(const std::string& pngPath) const;
  [[nodiscard]] const DocumentOutput* Output() const { return output_.get(); }

  bool StartDoc(std::string_view name) override;
  bool StartPage() override;
  PageError EndPage() override;
  bool EndDoc() override;
  void AbortDoc() override;

 protected:
  bool DoSelectPen(const Pen& pen) override;
  bool DoSelectBrush(const Brush& brush) override;
  bool DoSelectFont(const Font& font) override;
  void DoSetBkMode(BkMode) override {}
  void DoSetBkColor(Color) override {}
  void DoSetTextColor(Color) override {}
  bool DoMoveTo(Point) override { return cr_ != nullptr; }
  bool DoLineTo(Point from, Point to) override;
  bool DoRectangle(const Rect& r) override;
  bool DoRoundRect(const Rect& r, int32_t cw, int32_t ch) override;
  bool DoEllipse(const Rect& r) override;
  bool DoFigure(Figure figure, const Rect& r, Point start, Point end) override;
  bool DoPolygon(std::span<const Point> points) override;
  bool DoTextRun(std::span<const RunPiece> pieces) override;
  Size DoTextExtent(std::string_view text) override;
  bool DoSetClipRect(const Rect& r) override;
  void DoClearClip() override;
  bool DoStretchBitmap(const Bitmap& bitmap, const Rect& target) override;

 private:
  bool NewImagePage();
  void ApplyClip();
  // Fills the current path with the brush (keeping the path) and strokes it with the pen.
  bool FillAndStroke(bool fill);
  void Stroke();
  void SetSourceColor(Color color);
  cairo_pattern_t* Tile(const Brush& brush, bool opaqueHatch);
  bool Ok() const;
  // Text runs (cairo_device.cpp).
  struct RunPoint {
    double x = 0, y = 0;
  };
  bool EnterRunSpace(const PreparedFont& font);
  void LeaveRunSpace(bool rotated);
  [[nodiscard]] RunPoint InRunSpace(Point at) const;
  struct RunSpace {
    cairo_matrix_t toDevice, toUser;
  };
  [[nodiscard]] RunPoint GlyphOrigin(const PreparedFont& font, const RunSpace& space, Point at) const;
  void PaintPieceBackground(const PreparedFont& font, const RunPiece& piece);
  bool ShowRun(const PreparedFont& font, std::span<const RunPiece> pieces);
  void AppendConverted(cairo_scaled_font_t* scaled, const std::string& utf8, double x, double y);

  Kind kind_;
  std::unique_ptr<DocumentOutput> output_;
  FontEngine fonts_;
  cairo_surface_t* pdfSurface_ = nullptr;
  cairo_surface_t* imageSurface_ = nullptr;
  cairo_t* cr_ = nullptr;
  std::string docName_;
  std::string pdfPath_;
  std::unique_ptr<FileSink> pdfFile_;
  bool pageOpen_ = false;
  struct TileKey {
    Brush brush;
    bool opaqueHatch = false;
    Color background = kWhite;  // of the hatch gaps when opaque
    bool operator==(const TileKey&) const = default;
  };
  // The font last set on the context for text runs.
  struct RunFont {
    cairo_font_face_t* face = nullptr;
    cairo_matrix_t matrix{};
  } runFont_;
  cairo_pattern_t* tile_ = nullptr;
  TileKey tileKey_;
  // The glyphs, text and clusters of the run being drawn; kept to reuse their memory.
  struct RunBuffers {
    std::vector<cairo_glyph_t> glyphs;
    std::vector<cairo_text_cluster_t> clusters;
    std::string utf8;
  } run_;
};

}  // namespace fmdraw::device
