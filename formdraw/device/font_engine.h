// Fonts for the Cairo backends and for measuring text on any device. Faces are found
// through fontconfig with the bundled alias file (fonts/fmdraw-fonts.conf, compiled in)
// added to the system configuration, so "ＭＳ 明朝" and "ＭＳ ゴシック" (and the P
// variants) resolve to the IPA fonts. Bold is synthesised when the face has no bold.
// A FontEngine keeps the fonts it prepared last and each face's glyph indices; one per
// device, not thread-safe. What is shared by the whole process never changes once made:
// the fontconfig configuration, and the faces themselves (a bounded number, guarded by a
// lock), so that Cairo keeps each face's font file and glyph data from one document to
// the next.
#pragma once

#include <cairo.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "formdraw/device/device_types.h"

namespace fmdraw::device {

struct PreparedFont {
  cairo_font_face_t* face = nullptr;  // owned by the engine
  cairo_matrix_t matrix{};            // glyph space to device dots
  double ascent = 0;                  // dots above the baseline in the cell
  double cellHeight = 0;
};

// How one CP932 character is drawn in a face: its glyph index and its UTF-8 text (the
// PDF's text layer). `single` is false when the character does not map to exactly one
// glyph; such a character is drawn through the text path instead.
struct CachedGlyph {
  unsigned long index = 0;
  std::string utf8;
  bool single = false;
};

// The glyphs of one face, each looked up through a scaled font of the face once. Owned by
// its FontEngine; valid as long as the engine.
class GlyphTable {
 public:
  GlyphTable() = default;
  GlyphTable(const GlyphTable&) = delete;
  GlyphTable& operator=(const GlyphTable&) = delete;
  // The glyph of one CP932 character (one or two bytes); nullptr for longer texts.
  const CachedGlyph* Find(std::string_view cp932Char);

 private:
  friend class FontEngine;
  struct Release {
    void operator()(cairo_scaled_font_t* scaled) const { cairo_scaled_font_destroy(scaled); }
  };
  void Use(cairo_scaled_font_t* scaled);
  std::unique_ptr<cairo_scaled_font_t, Release> scaled_;  // a reference of its own
  // Character code (one byte b, or 0x10000 | lead << 8 | trail) to its glyph.
  std::unordered_map<uint32_t, CachedGlyph> glyphs_;
};

class FontEngine {
 public:
  FontEngine() = default;
  ~FontEngine();
  FontEngine(const FontEngine&) = delete;
  FontEngine& operator=(const FontEngine&) = delete;

  // nullopt-like: face == nullptr when no face can be made.
  PreparedFont Prepare(const Font& font);
  // Advance width and cell height of CP932 `text` (rotation ignored).
  Size Measure(const Font& font, std::string_view cp932);
  // The glyph table of `font`'s face, or nullptr when no face can be made.
  GlyphTable* Glyphs(const Font& font);
  // The file fontconfig picks for a face name (for tests and diagnostics).
  static std::string ResolvedFile(std::string_view faceUtf8, bool bold);

 private:
  struct FaceMetrics {
    cairo_font_face_t* face = nullptr;
    double ascent = 0, descent = 0;  // at a scale of one
  };
  const FaceMetrics* Face(const std::string& faceCp932, bool bold);
  PreparedFont Build(const Font& font);
  // The fonts prepared last with their scaled fonts, most recent first: a page switches
  // between a few fonts (field fonts, free text, headings) many times.
  struct Recent {
    Font font;
    PreparedFont prepared;
    cairo_scaled_font_t* scaled = nullptr;
  };
  static constexpr std::size_t kRecentFonts = 8;
  const Recent* Cached(const Font& font);

  // By CP932 face name and boldness; shared faces, or faces of this engine's own when the
  // process already shares as many as it keeps.
  std::map<std::pair<std::string, bool>, FaceMetrics> faces_;
  std::vector<cairo_font_face_t*> ownFaces_;
  std::unordered_map<cairo_font_face_t*, GlyphTable> glyphs_;
  std::vector<Recent> recent_;
};

}  // namespace fmdraw::device
