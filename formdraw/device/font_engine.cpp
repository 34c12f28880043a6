#include "formdraw/device/font_engine.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

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

// How many faces the process keeps for good. Forms name a handful; a caller that names
// more (every FmCreateFont may name another face) gets faces of its session's own.
constexpr std::size_t kSharedFaces = 64;

cairo_font_face_t* MakeFace(const std::string& faceUtf8, bool bold) {
  FcPattern* match = MatchPattern(faceUtf8, bold);
  if (match == nullptr) return nullptr;
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
  FcPatternDestroy(match);
  if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(face);
    return nullptr;
  }
  return face;
}

// The face's ascent and descent at a scale of one. With hinted metrics they would be
// rounded to whole units there, which would make every text about half as tall as its
// cell.
void MeasureUnit(cairo_font_face_t* face, double& ascent, double& descent) {
  cairo_matrix_t unit;
  cairo_matrix_init_identity(&unit);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_scaled_font_t* scaled = cairo_scaled_font_create(face, &unit, &unit, options);
  cairo_font_extents_t extents{};
  cairo_scaled_font_extents(scaled, &extents);
  cairo_scaled_font_destroy(scaled);
  cairo_font_options_destroy(options);
  ascent = extents.ascent;
  descent = extents.descent;
}

// A face of the process: made once, never changed or freed. Null when it cannot be made
// or the process keeps as many faces as it will.
cairo_font_face_t* SharedFace(const std::string& faceUtf8, bool bold) {
  static std::mutex mutex;
  static auto* faces = new std::map<std::pair<std::string, bool>, cairo_font_face_t*>();
  std::lock_guard<std::mutex> lock(mutex);
  const auto key = std::make_pair(faceUtf8, bold);
  if (auto it = faces->find(key); it != faces->end()) return it->second;
  if (faces->size() >= kSharedFaces) return nullptr;
  cairo_font_face_t* face = MakeFace(faceUtf8, bold);
  if (face != nullptr) faces->emplace(key, face);
  return face;
}

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

FontEngine::~FontEngine() {
  for (Recent& r : recent_) cairo_scaled_font_destroy(r.scaled);
  for (cairo_font_face_t* face : ownFaces_) cairo_font_face_destroy(face);
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

const FontEngine::FaceMetrics* FontEngine::Face(const std::string& faceCp932, bool bold) {
  const auto key = std::make_pair(faceCp932, bold);
  if (auto it = faces_.find(key); it != faces_.end()) return &it->second;
  const std::string utf8 = platform::Cp932ToUtf8(faceCp932);
  FaceMetrics metrics;
  metrics.face = SharedFace(utf8, bold);
  if (metrics.face == nullptr) {
    metrics.face = MakeFace(utf8, bold);
    if (metrics.face == nullptr) return nullptr;
    ownFaces_.push_back(metrics.face);
  }
  MeasureUnit(metrics.face, metrics.ascent, metrics.descent);
  return &faces_.emplace(key, metrics).first->second;
}

const FontEngine::Recent* FontEngine::Cached(const Font& font) {
  for (std::size_t i = 0; i < recent_.size(); ++i) {
    if (!(recent_[i].font == font)) continue;
    if (i > 0) std::rotate(recent_.begin(), recent_.begin() + static_cast<std::ptrdiff_t>(i),
                           recent_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    return &recent_.front();
  }
  PreparedFont prepared = Build(font);
  if (prepared.face == nullptr) return nullptr;
  if (recent_.size() == kRecentFonts) {
    cairo_scaled_font_destroy(recent_.back().scaled);
    recent_.pop_back();
  }
  recent_.insert(recent_.begin(), Recent{font, prepared, MakeScaled(prepared)});
  return &recent_.front();
}

PreparedFont FontEngine::Prepare(const Font& font) {
  const Recent* recent = Cached(font);
  return recent != nullptr ? recent->prepared : PreparedFont{};
}

// The em size follows from the cell height: a positive height is ascent + descent of the
// face, a negative one the em itself. A cell width sets the horizontal scale so that a
// single-byte (half-width) character is that wide.
PreparedFont FontEngine::Build(const Font& font) {
  PreparedFont prepared;
  const FaceMetrics* face = Face(font.face, font.weight >= 600);
  if (face == nullptr) return prepared;
  double unitCell = face->ascent + face->descent;
  if (unitCell <= 0) unitCell = 1;
  double em = font.height > 0 ? font.height / unitCell : std::abs(font.height);
  if (em == 0) em = 1;
  double sx = font.width > 0 ? 2.0 * font.width : em;
  cairo_matrix_init(&prepared.matrix, sx, 0, font.italic ? -0.2 * em : 0, em, 0, 0);
  prepared.face = face->face;
  prepared.ascent = face->ascent * em;
  prepared.cellHeight = unitCell * em;
  return prepared;
}

GlyphTable* FontEngine::Glyphs(const Font& font) {
  const Recent* recent = Cached(font);
  if (recent == nullptr || recent->scaled == nullptr) return nullptr;
  GlyphTable& table = glyphs_[recent->prepared.face];
  table.Use(recent->scaled);
  return &table;
}

void GlyphTable::Use(cairo_scaled_font_t* scaled) {
  if (scaled != scaled_.get()) scaled_.reset(cairo_scaled_font_reference(scaled));
}

const CachedGlyph* GlyphTable::Find(std::string_view cp932Char) {
  if (cp932Char.empty() || cp932Char.size() > 2 || scaled_ == nullptr) return nullptr;
  const auto byte = [&](std::size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(cp932Char[i])); };
  const uint32_t code = cp932Char.size() == 1 ? byte(0) : 0x10000u | byte(0) << 8 | byte(1);
  if (auto it = glyphs_.find(code); it != glyphs_.end()) return &it->second;
  CachedGlyph glyph;
  glyph.utf8 = platform::Cp932ToUtf8(cp932Char);
  cairo_glyph_t* glyphs = nullptr;
  int count = 0;
  if (cairo_scaled_font_text_to_glyphs(scaled_.get(), 0, 0, glyph.utf8.data(), static_cast<int>(glyph.utf8.size()),
                                       &glyphs, &count, nullptr, nullptr, nullptr) == CAIRO_STATUS_SUCCESS &&
      count == 1) {
    glyph.index = glyphs[0].index;
    glyph.single = true;
  }
  cairo_glyph_free(glyphs);
  return &glyphs_.emplace(code, std::move(glyph)).first->second;
}

Size FontEngine::Measure(const Font& font, std::string_view cp932) {
  const Recent* recent = Cached(font);
  if (recent == nullptr || recent->scaled == nullptr) return {};
  cairo_text_extents_t extents{};
  std::string utf8 = platform::Cp932ToUtf8(cp932);
  cairo_scaled_font_text_extents(recent->scaled, utf8.c_str(), &extents);
  return {static_cast<int32_t>(std::lround(extents.x_advance)),
          static_cast<int32_t>(std::lround(recent->prepared.cellHeight))};
}

}  // namespace fmdraw::device
