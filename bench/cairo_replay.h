// The baselines of the form page benchmark: a page's device calls, read once from the
// library's trace of it, drawn straight on a Cairo context. Everything a program drawing
// the page by hand would know in advance is worked out when the trace is read (fonts and
// their scale, each text's glyph indices, positions and UTF-8), so a replay is Cairo's own
// work: pens, fills, lines, boxes, and text either as one glyph call per text (the
// library's way) or as one text call per character (the library's earlier way).
//
// Covered: pens (width, colour, none), solid, hollow and 8x8 pattern brushes, lines,
// rectangles, rounded rectangles, ellipses, texts. Hatches, dashes, figures, polygons,
// clipping and bitmaps are not on the benchmark page and are skipped.
#pragma once

#include <cairo.h>

#include <array>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

namespace bench {

struct ReplayPiece {
  std::string utf8;
  double x = 0, y = 0;  // glyph origin of the piece's first character
};

struct ReplayText {
  std::vector<cairo_glyph_t> glyphs;            // one per character, at its place
  std::vector<cairo_text_cluster_t> clusters;   // one per character
  std::string utf8;                             // the whole text
  std::vector<ReplayPiece> pieces;              // for the per-character mode
  uint32_t colour = 0;
};

struct ReplayOp {
  enum Kind { kPen, kBrush, kFont, kMove, kLine, kRect, kRoundRect, kEllipse, kText } kind;
  double a = 0, b = 0, c = 0, d = 0, e = 0, f = 0;  // coordinates, sizes, pen width
  uint32_t colour = 0;                              // 0x00BBGGRR
  uint32_t background = 0;
  bool none = false;                                // pen: no pen; brush: hollow
  std::shared_ptr<cairo_pattern_t> tile;            // brush: an 8x8 pattern, else solid
  int font = 0;                                     // font: index into the fonts
  std::shared_ptr<ReplayText> text;
};

enum class TextMode { kGlyphRuns, kPerCharacter };

class CairoReplay {
 public:
  // Reads a trace (docs/trace-format.md) and prepares every text; throws on a face that
  // cannot be made.
  explicit CairoReplay(std::istream& trace);
  ~CairoReplay();
  CairoReplay(const CairoReplay&) = delete;
  CairoReplay& operator=(const CairoReplay&) = delete;

  // Draws the page on `cr`, whose user space is device dots.
  void Draw(cairo_t* cr, TextMode mode) const;
  [[nodiscard]] std::size_t Calls() const { return ops_.size(); }
  [[nodiscard]] std::size_t Characters() const;

 private:
  struct ReplayFont {
    std::string line;  // the SelectFont line it was made from
    cairo_font_face_t* face = nullptr;
    cairo_matrix_t matrix{};
    double ascent = 0;
    cairo_scaled_font_t* scaled = nullptr;
  };
  void Read(const std::string& line);
  int FontFor(const std::string& line);
  cairo_font_face_t* FaceFor(const std::string& family);
  std::shared_ptr<ReplayText> PrepareText(const std::string& line) const;

  std::vector<ReplayOp> ops_;
  std::vector<ReplayFont> fonts_;
  std::vector<std::pair<std::string, cairo_font_face_t*>> faces_;
  int currentFont_ = -1;
  int pageWidth_ = 0, pageHeight_ = 0;  // dots
  uint32_t textColour_ = 0;
};

}  // namespace bench
