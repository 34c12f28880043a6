// Fonts for the Cairo backends and for measuring text on any device. Faces are found
// through fontconfig with the bundled alias file (fonts/fmdraw-fonts.conf, compiled in)
// added to the system configuration, so "ＭＳ 明朝" and "ＭＳ ゴシック" (and the P
// variants) resolve to the IPA fonts. Bold is synthesised when the face has no bold.
// A FontEngine caches faces; one per device, not thread-safe. The fontconfig
// configuration itself is built once per process and never changed afterwards.
#pragma once

#include <cairo.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

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
  // The glyph of one CP932 character (one or two bytes) in `font`'s face, looked up through
  // the scaled font once per face and character. nullptr for longer texts or when no face
  // can be made. The entry stays valid as long as the engine.
  const CachedGlyph* Glyph(const Font& font, std::string_view cp932Char);
  // The file fontconfig picks for a face name (for tests and diagnostics).
  static std::string ResolvedFile(std::string_view faceUtf8, bool bold);

 private:
  cairo_font_face_t* Face(const std::string& faceUtf8, bool bold);
  PreparedFont Build(const Font& font);
  // The scaled font of the last font prepared: text is drawn and measured a character at
  // a time with the same font, so one entry saves nearly all font set-up.
  struct Last {
    Font font;
    PreparedFont prepared;
    cairo_scaled_font_t* scaled = nullptr;
  };
  const Last* Cached(const Font& font);

  std::map<std::pair<std::string, bool>, cairo_font_face_t*> faces_;
  // Per face: character code (one byte b, or 0x10000 | lead << 8 | trail) to its glyph.
  std::unordered_map<cairo_font_face_t*, std::unordered_map<uint32_t, CachedGlyph>> glyphs_;
  std::optional<Last> last_;
};

}  // namespace fmdraw::device
