#include "formdraw/render/field_geometry.h"

#include <algorithm>

#include "formdraw/draw/units.h"

namespace fd::render {
namespace {

constexpr std::size_t kFieldRecordSize = 92;

int Word(std::span<const std::uint8_t> r, std::size_t at) {
  return static_cast<std::int16_t>(r[at] | (r[at + 1] << 8));
}

int Mm(int twips) { return draw::TwipsToMm(twips); }

// Offsets of the font items: font word, size, rotation, bold (italic follows).
struct FontOffsets {
  std::size_t font, size, rotation, bold, italic;
};

FieldFontSpec ReadFont(std::span<const std::uint8_t> r, const FontOffsets& o) {
  return {Word(r, o.font), Mm(r[o.size] * 20), r[o.rotation] * 10, r[o.bold] == 1, r[o.italic] == 1};
}

std::vector<MmLine> Frame(int left, int top, int right, int bottom) {
  return {{left, top, right, top}, {right, top, right, bottom}, {right, bottom, left, bottom},
          {left, bottom, left, top}};
}

}  // namespace

draw::CreateFontArgs FieldFont(const FieldFontSpec& s, const draw::FontEntry& entry) {
  const bool sjis = entry.charset == draw::kShiftJisCharset;
  return {sjis ? s.charHeight : 0, s.charHeight, s.rotation, s.bold, s.italic, entry.charset,
          entry.pitchAndFamily & 0x0F, entry.pitchAndFamily & 0xF0, entry.face};
}

std::optional<SimpleField> SimpleFieldGeometry(std::span<const std::uint8_t> r, int dpi) {
  if (r.size() < kFieldRecordSize) return std::nullopt;
  SimpleField f;
  f.font = ReadFont(r, {12, 21, 24, 30, 31});
  const int x = Mm(Word(r, 4)), y = Mm(Word(r, 6)), w = Mm(Word(r, 8)), h = Mm(Word(r, 10));
  const int direction = r[29];
  const bool vertical = draw::IsVertical(direction);
  f.text = {x + Mm(Word(r, 16)), y + Mm(Word(r, 18)), vertical ? h : w, direction, r[28]};
  f.decorations = {r[22], r[23]};
  if (r[20] != 0) {
    f.frameWidth = draw::DotsToMm(r[20], dpi);
    // Horizontal fields: field width by character height; vertical: the other way.
    f.frame = vertical ? Frame(x, y, x + f.font.charHeight, y + h)
                       : Frame(x, y, x + w, y + f.font.charHeight);
  }
  return f;
}

std::optional<ListField> ListFieldGeometry(std::span<const std::uint8_t> r, int dpi) {
  if (r.size() < kFieldRecordSize) return std::nullopt;
  ListField f;
  f.font = ReadFont(r, {16, 25, 28, 33, 34});
  const int x = Mm(Word(r, 4)), y = Mm(Word(r, 6)), w = Mm(Word(r, 8)), h = Mm(Word(r, 10));
  f.x = x;
  f.y = y;
  f.width = w;
  f.height = h;
  f.columns = std::max(0, Word(r, 12));
  f.rows = std::max(0, Word(r, 14));
  f.textOffsetX = Mm(Word(r, 20));
  f.textOffsetY = Mm(Word(r, 22));
  f.alignment = r[32];
  f.decorations = {r[26], r[27]};
  if (r[24] != 0 && f.columns > 0 && f.rows > 0) {
    f.gridWidth = draw::DotsToMm(r[24], dpi);
    for (int col = 0; col <= f.columns; ++col) {
      const int gx = x + draw::SplitStart(w, col, f.columns);
      f.grid.push_back({gx, y, gx, y + h});
    }
    for (int row = 0; row <= f.rows; ++row) {
      const int gy = y + draw::SplitStart(h, row, f.rows);
      f.grid.push_back({x, gy, x + w, gy});
    }
  }
  return f;
}

draw::PrintTextArgs ListField::Cell(int row, int column) const {
  if (rows <= 0 || columns <= 0) return {};
  return {x + draw::SplitStart(width, column, columns) + textOffsetX,
          y + draw::SplitStart(height, row, rows) + textOffsetY, width / columns, 1, alignment};
}

}  // namespace fd::render
