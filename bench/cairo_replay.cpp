#include "bench/cairo_replay.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <sstream>
#include <stdexcept>

namespace bench {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The text after `key` up to the next blank (or the end).
std::string Value(const std::string& line, const std::string& key) {
  const auto at = line.find(key);
  if (at == std::string::npos) return {};
  const auto from = at + key.size();
  return line.substr(from, line.find(' ', from) - from);
}
int Int(const std::string& line, const std::string& key) {
  const std::string v = Value(line, key);
  return v.empty() ? 0 : std::stoi(v);
}
uint32_t Hex(const std::string& text) { return text.empty() ? 0 : static_cast<uint32_t>(std::stoul(text, nullptr, 16)); }

// A quoted trace text from `at` (the opening quote); `at` ends after the closing quote.
std::string Unquote(const std::string& line, std::size_t& at) {
  std::string out;
  for (++at; at < line.size() && line[at] != '"'; ++at) {
    if (line[at] != '\\' || at + 1 >= line.size()) {
      out.push_back(line[at]);
    } else if (line[at + 1] == 'x') {
      out.push_back(static_cast<char>(std::stoi(line.substr(at + 2, 2), nullptr, 16)));
      at += 3;
    } else {
      out.push_back(line[++at]);
    }
  }
  ++at;
  return out;
}

void SetColour(cairo_t* cr, uint32_t c) {
  cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

std::shared_ptr<cairo_pattern_t> Tile(const std::string& bits, uint32_t colour, uint32_t background) {
  cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  cairo_surface_flush(tile);
  unsigned char* data = cairo_image_surface_get_data(tile);
  const int stride = cairo_image_surface_get_stride(tile);
  auto argb = [](uint32_t c) { return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); };
  for (int y = 0; y < 8; ++y) {
    const uint32_t row = Hex(bits.substr(2 * y, 2));
    for (int x = 0; x < 8; ++x)
      reinterpret_cast<uint32_t*>(data + y * stride)[x] = argb((row >> (7 - x)) & 1 ? background : colour);
  }
  cairo_surface_mark_dirty(tile);
  cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile);
  cairo_surface_destroy(tile);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
  return {pattern, cairo_pattern_destroy};
}

// The path of a rectangle, rounded rectangle or ellipse as the library makes it.
void ShapePath(cairo_t* cr, const ReplayOp& op) {
  const double l = op.a + 0.5, t = op.b + 0.5, w = op.c - op.a - 1, h = op.d - op.b - 1;
  if (op.kind == ReplayOp::kRect) {
    cairo_rectangle(cr, l, t, w, h);
    return;
  }
  cairo_new_path(cr);
  if (op.kind == ReplayOp::kEllipse) {
    cairo_save(cr);
    cairo_translate(cr, l + w / 2, t + h / 2);
    cairo_scale(cr, std::max(w / 2, 0.01), std::max(h / 2, 0.01));
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
    cairo_close_path(cr);
    return;
  }
  const double rx = std::min(std::abs(op.e) / 2, w / 2), ry = std::min(std::abs(op.f) / 2, h / 2);
  auto corner = [&](double cx, double cy, double a1, double a2) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, a1, a2);
    cairo_restore(cr);
  };
  corner(l + w - rx, t + ry, -kPi / 2, 0);
  corner(l + w - rx, t + h - ry, 0, kPi / 2);
  corner(l + rx, t + h - ry, kPi / 2, kPi);
  corner(l + rx, t + ry, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

}  // namespace

CairoReplay::CairoReplay(std::istream& trace) {
  for (std::string line; std::getline(trace, line);) Read(line);
}

CairoReplay::~CairoReplay() {
  for (auto& f : fonts_) cairo_scaled_font_destroy(f.scaled);
  for (auto& [name, face] : faces_) cairo_font_face_destroy(face);
}

std::size_t CairoReplay::Characters() const {
  std::size_t n = 0;
  for (const auto& op : ops_)
    if (op.kind == ReplayOp::kText) n += op.text->glyphs.size();
  return n;
}

void CairoReplay::Read(const std::string& line) {
  std::istringstream words(line);
  std::string word;
  words >> word;
  ReplayOp op{ReplayOp::kMove};
  if (word == "StartDoc") {
    const std::string size = Value(line, "page=");
    pageWidth_ = std::stoi(size);
    pageHeight_ = std::stoi(size.substr(size.find('x') + 1));
    return;
  }
  if (word == "SetTextColor") {
    words >> word;
    textColour_ = Hex(word);
    return;
  }
  if (word == "SelectPen") {
    op = {ReplayOp::kPen, double(std::max(1, Int(line, "width=")))};
    op.colour = Hex(Value(line, "color="));
    op.none = Int(line, "style=") == 5;
  } else if (word == "SelectBrush") {
    if (line.find("hatch=") != std::string::npos) return;
    op.kind = ReplayOp::kBrush;
    op.colour = Hex(Value(line, "color="));
    op.none = line.find("hollow") != std::string::npos;
    if (const std::string bits = Value(line, "pattern="); !bits.empty())
      op.tile = Tile(bits, op.colour, Hex(Value(line, "background=")));
  } else if (word == "SelectFont") {
    op.kind = ReplayOp::kFont;
    op.font = currentFont_ = FontFor(line);
  } else if (word == "MoveTo" || word == "LineTo") {
    op.kind = word == "MoveTo" ? ReplayOp::kMove : ReplayOp::kLine;
    words >> op.a >> op.b;
  } else if (word == "Rectangle" || word == "RoundRect" || word == "Ellipse") {
    op.kind = word == "Rectangle" ? ReplayOp::kRect : word == "Ellipse" ? ReplayOp::kEllipse : ReplayOp::kRoundRect;
    words >> op.a >> op.b >> op.c >> op.d >> op.e >> op.f;
  } else if (word == "TextRun" && currentFont_ >= 0) {
    op.kind = ReplayOp::kText;
    op.font = currentFont_;
    op.text = PrepareText(line);
  } else {
    return;
  }
  ops_.push_back(std::move(op));
}

cairo_font_face_t* CairoReplay::FaceFor(const std::string& family) {
  for (auto& [name, face] : faces_)
    if (name == family) return face;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) throw std::runtime_error("no font for " + family);
  cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(match);
  FcPatternDestroy(match);
  faces_.emplace_back(family, face);
  return face;
}

// The face the library's alias file gives the built-in names, scaled as the library
// scales it: the cell height is ascent + descent, a cell width makes a half-width
// character that wide.
int CairoReplay::FontFor(const std::string& line) {
  for (std::size_t i = 0; i < fonts_.size(); ++i)
    if (fonts_[i].line == line) return static_cast<int>(i);
  ReplayFont f;
  f.line = line;
  f.face = FaceFor(line.find("ゴシック") != std::string::npos ? "IPAGothic" : "IPAMincho");
  cairo_matrix_t unit, identity;
  cairo_matrix_init_identity(&unit);
  cairo_matrix_init_identity(&identity);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_scaled_font_t* probe = cairo_scaled_font_create(f.face, &unit, &identity, options);
  cairo_font_extents_t extents{};
  cairo_scaled_font_extents(probe, &extents);
  cairo_scaled_font_destroy(probe);
  const double em = Int(line, "height=") / (extents.ascent + extents.descent);
  const int width = Int(line, "width=");
  cairo_matrix_init(&f.matrix, width > 0 ? 2.0 * width : em, 0, 0, em, 0, 0);
  f.ascent = extents.ascent * em;
  f.scaled = cairo_scaled_font_create(f.face, &f.matrix, &identity, options);
  cairo_font_options_destroy(options);
  fonts_.push_back(f);
  return static_cast<int>(fonts_.size()) - 1;
}

// Each piece's glyphs at its place (glyph origin ascent below the cell's top-left).
std::shared_ptr<ReplayText> CairoReplay::PrepareText(const std::string& line) const {
  auto text = std::make_shared<ReplayText>();
  text->colour = textColour_;
  const ReplayFont& font = fonts_[static_cast<std::size_t>(currentFont_)];
  std::size_t at = line.find(' ', 8);
  while ((at = line.find(' ', at)) != std::string::npos && at + 1 < line.size()) {
    ReplayPiece piece;
    const std::size_t comma = line.find(',', at);
    piece.x = std::stod(line.substr(at + 1, comma - at - 1));
    at = line.find(' ', comma);
    piece.y = std::stod(line.substr(comma + 1, at - comma - 1)) + font.ascent;
    at = line.find('"', at);
    piece.utf8 = Unquote(line, at);
    cairo_glyph_t* glyphs = nullptr;
    cairo_text_cluster_t* clusters = nullptr;
    int glyphCount = 0, clusterCount = 0;
    cairo_text_cluster_flags_t flags{};
    cairo_scaled_font_text_to_glyphs(font.scaled, piece.x, piece.y, piece.utf8.data(),
                                     static_cast<int>(piece.utf8.size()), &glyphs, &glyphCount, &clusters,
                                     &clusterCount, &flags);
    text->glyphs.insert(text->glyphs.end(), glyphs, glyphs + glyphCount);
    text->clusters.insert(text->clusters.end(), clusters, clusters + clusterCount);
    text->utf8 += piece.utf8;
    cairo_glyph_free(glyphs);
    cairo_text_cluster_free(clusters);
    text->pieces.push_back(std::move(piece));
  }
  return text;
}

void CairoReplay::Draw(cairo_t* cr, TextMode mode) const {
  const ReplayOp* pen = nullptr;
  const ReplayOp* brush = nullptr;
  double x = 0, y = 0;
  auto stroke = [&] {
    if (pen == nullptr || pen->none) {
      cairo_new_path(cr);
      return;
    }
    SetColour(cr, pen->colour);
    cairo_set_line_width(cr, pen->a);
    cairo_stroke(cr);
  };
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  // The frame just outside the page that the library draws first (it keeps Cairo's record
  // of the area a page covers one rectangle).
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, -2.5, -2.5, pageWidth_ + 5.0, pageHeight_ + 5.0);
  cairo_stroke(cr);
  for (const ReplayOp& op : ops_) {
    switch (op.kind) {
      case ReplayOp::kPen: pen = &op; break;
      case ReplayOp::kBrush: brush = &op; break;
      case ReplayOp::kFont:
        cairo_set_font_face(cr, fonts_[static_cast<std::size_t>(op.font)].face);
        cairo_set_font_matrix(cr, &fonts_[static_cast<std::size_t>(op.font)].matrix);
        break;
      case ReplayOp::kMove: x = op.a; y = op.b; break;
      case ReplayOp::kLine:
        cairo_move_to(cr, x + 0.5, y + 0.5);
        cairo_line_to(cr, op.a + 0.5, op.b + 0.5);
        x = op.a;
        y = op.b;
        stroke();
        break;
      case ReplayOp::kRect:
      case ReplayOp::kRoundRect:
      case ReplayOp::kEllipse:
        ShapePath(cr, op);
        if (brush != nullptr && !brush->none) {
          if (brush->tile) cairo_set_source(cr, brush->tile.get());
          else SetColour(cr, brush->colour);
          cairo_fill_preserve(cr);
        }
        stroke();
        break;
      case ReplayOp::kText: {
        const ReplayText& t = *op.text;
        SetColour(cr, t.colour);
        if (mode == TextMode::kGlyphRuns) {
          cairo_show_text_glyphs(cr, t.utf8.data(), static_cast<int>(t.utf8.size()), t.glyphs.data(),
                                 static_cast<int>(t.glyphs.size()), t.clusters.data(),
                                 static_cast<int>(t.clusters.size()), cairo_text_cluster_flags_t{});
        } else {
          for (const ReplayPiece& p : t.pieces) {
            cairo_move_to(cr, p.x, p.y);
            cairo_show_text(cr, p.utf8.c_str());
          }
        }
        break;
      }
    }
  }
}

}  // namespace bench
