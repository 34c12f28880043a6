#include "formdraw/device/font_engine.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <cmath>

#include "formdraw/device/font_alias_conf.h"
#include "platform/codepage.h"

namespace fmdraw::device {

namespace {

// The system configuration plus the bundled aliases; built on first use. It is a cache
// of immutable data, shared by all sessions of the process.
FcConfig* Config() {
  static FcConfig* config = [] {
    FcConfig* c = FcInitLoadConfigAndFonts();
    if (c != nullptr) {
      FcConfigParseAndLoadFromMemory(
          c, reinterpret_cast<const FcChar8*>(kFontAliasConf), FcTrue);
    }
    return c;
  }();
  return config;
}

FcPattern* MatchPattern(const std::string& faceUtf8, bool bold) {
  FcConfig* config = Config();
  if (config == nullptr) return nullptr;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(faceUtf8.c_str()));
  // Texts are Japanese: an unknown face falls back to one that has the glyphs.
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return nullptr;
  int weight = FC_WEIGHT_REGULAR;
  FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
  if (bold && weight < FC_WEIGHT_DEMIBOLD) {
    FcPatternDel(match, FC_EMBOLDEN);
    FcPatternAddBool(match, FC_EMBOLDEN, FcTrue);
  }
  return match;
}

}  // namespace

FontEngine::~FontEngine() {
  if (last_ && last_->scaled != nullptr) cairo_scaled_font_destroy(last_->scaled);
  for (auto& [key, face] : faces_) cairo_font_face_destroy(face);
}

std::string FontEngine::ResolvedFile(std::string_view faceUtf8, bool bold) {
  FcPattern* match = MatchPattern(std::string(faceUtf8), bold);
  if (match == nullptr) return {};
  FcChar8* file = nullptr;
  std::string path;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
    path = reinterpret_cast<const char*>(file);
  FcPatternDestroy(match);
  return path;
}

cairo_font_face_t* FontEngine::Face(const std::string& faceUtf8, bool bold) {
  auto key = std::make_pair(faceUtf8, bold);
  if (auto it = faces_.find(key); it != faces_.end()) return it->second;
  FcPattern* match = MatchPattern(faceUtf8, bold);
  if (match == nullptr) return nullptr;
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
  FcPatternDestroy(match);
  if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(face);
    return nullptr;
  }
  faces_[key] = face;
  return face;
}

// The em size follows from the cell height: a positive height is ascent + descent of the
// face, a negative one the em itself. A cell width sets the horizontal scale so that a
// single-byte (half-width) character is that wide.
namespace {

cairo_scaled_font_t* MakeScaled(const PreparedFont& prepared) {
  cairo_matrix_t identity;
  cairo_matrix_init_identity(&identity);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_scaled_font_t* scaled =
      cairo_scaled_font_create(prepared.face, &prepared.matrix, &identity, options);
  cairo_font_options_destroy(options);
  return scaled;
}

}  // namespace

const FontEngine::Last* FontEngine::Cached(const Font& font) {
  if (last_ && last_->font == font) return &*last_;
  PreparedFont prepared = Build(font);
  if (prepared.face == nullptr) return nullptr;
  if (last_ && last_->scaled != nullptr) cairo_scaled_font_destroy(last_->scaled);
  last_ = Last{font, prepared, MakeScaled(prepared)};
  return &*last_;
}

PreparedFont FontEngine::Prepare(const Font& font) {
  const Last* last = Cached(font);
  return last != nullptr ? last->prepared : PreparedFont{};
}

PreparedFont FontEngine::Build(const Font& font) {
  PreparedFont prepared;
  cairo_font_face_t* face = Face(platform::Cp932ToUtf8(font.face), font.weight >= 600);
  if (face == nullptr) return prepared;
  cairo_matrix_t unit;
  cairo_matrix_init_identity(&unit);
  cairo_matrix_t identity;
  cairo_matrix_init_identity(&identity);
  // The face is measured at a scale of one; with hinted metrics its ascent and descent
  // would be rounded to whole units there, which would make every text about half as
  // tall as its cell.
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_scaled_font_t* scaled = cairo_scaled_font_create(face, &unit, &identity, options);
  cairo_font_extents_t extents{};
  cairo_scaled_font_extents(scaled, &extents);
  cairo_scaled_font_destroy(scaled);
  cairo_font_options_destroy(options);
  double unitCell = extents.ascent + extents.descent;
  if (unitCell <= 0) unitCell = 1;
  double em = font.height > 0 ? font.height / unitCell : std::abs(font.height);
  if (em == 0) em = 1;
  double sx = font.width > 0 ? 2.0 * font.width : em;
  cairo_matrix_init(&prepared.matrix, sx, 0, font.italic ? -0.2 * em : 0, em, 0, 0);
  prepared.face = face;
  prepared.ascent = extents.ascent * em;
  prepared.cellHeight = unitCell * em;
  return prepared;
}

const CachedGlyph* FontEngine::Glyph(const Font& font, std::string_view cp932Char) {
  if (cp932Char.empty() || cp932Char.size() > 2) return nullptr;
  const Last* last = Cached(font);
  if (last == nullptr || last->scaled == nullptr) return nullptr;
  const auto byte = [&](std::size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(cp932Char[i])); };
  const uint32_t code = cp932Char.size() == 1 ? byte(0) : 0x10000u | byte(0) << 8 | byte(1);
  auto& faceGlyphs = glyphs_[last->prepared.face];
  if (auto it = faceGlyphs.find(code); it != faceGlyphs.end()) return &it->second;
  CachedGlyph glyph;
  glyph.utf8 = platform::Cp932ToUtf8(cp932Char);
  cairo_glyph_t* glyphs = nullptr;
  int count = 0;
  if (cairo_scaled_font_text_to_glyphs(last->scaled, 0, 0, glyph.utf8.data(), static_cast<int>(glyph.utf8.size()),
                                       &glyphs, &count, nullptr, nullptr, nullptr) == CAIRO_STATUS_SUCCESS &&
      count == 1) {
    glyph.index = glyphs[0].index;
    glyph.single = true;
  }
  cairo_glyph_free(glyphs);
  return &faceGlyphs.emplace(code, std::move(glyph)).first->second;
}

Size FontEngine::Measure(const Font& font, std::string_view cp932) {
  const Last* last = Cached(font);
  if (last == nullptr || last->scaled == nullptr) return {};
  cairo_text_extents_t extents{};
  std::string utf8 = platform::Cp932ToUtf8(cp932);
  cairo_scaled_font_text_extents(last->scaled, utf8.c_str(), &extents);
  return {static_cast<int32_t>(std::lround(extents.x_advance)),
          static_cast<int32_t>(std::lround(last->prepared.cellHeight))};
}

}  // namespace fmdraw::device
