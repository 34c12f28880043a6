// Geometry of the fields printed through the caller's drawing calls: a simple data field
// (line order 0) and the cells and grid of a list field, in 0.01 mm (the units of
// FmPrintText and FmSetLine, which apply the form's magnification and offsets
// themselves). Form records hold twips; they become 0.01 mm as v * 1764 / 1000. The font
// is the FmCreateFont of the field: width = height for Shift-JIS (else 0), height =
// character size * 20 twips, rotation * 10 degrees, the entry's pitch (low 4 bits) and
// family (high 4 bits). Pure functions over record bytes; short records give nullopt.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "formdraw/draw/decoration.h"
#include "formdraw/draw/font_request.h"
#include "formdraw/draw/print_text.h"
#include "formdraw/draw/session_font.h"

namespace fd::render {

// A line in 0.01 mm, drawn with FmPrintLine.
struct MmLine {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool operator==(const MmLine&) const = default;
};

// What a field's font needs besides its font-table entry.
struct FieldFontSpec {
  int fontIndex = 0;     // index into the form's font table
  int charHeight = 0;    // 0.01 mm
  int rotation = 0;      // degrees
  bool bold = false, italic = false;
};

// FmCreateFont arguments for a field font; `entry.face` must outlive the result.
[[nodiscard]] draw::CreateFontArgs FieldFont(const FieldFontSpec& spec, const draw::FontEntry& entry);

struct SimpleField {
  FieldFontSpec font;
  draw::PrintTextArgs text;           // position (x + text offset), extent, direction, alignment
  draw::DecorationKinds decorations;  // drawn over the printed text (field pens)
  int frameWidth = 0;                 // 0.01 mm; 0 = no frame
  std::vector<MmLine> frame;          // four lines, empty without a frame
};

// From a 92-byte data field record at resolution `dpi` (the frame width is in dots).
[[nodiscard]] std::optional<SimpleField> SimpleFieldGeometry(std::span<const std::uint8_t> record,
                                                             int dpi);

// Cells are computed one at a time (a form may declare up to 32767 x 32767 of them; the
// caller walks only the cells its buffer holds).
struct ListField {
  FieldFontSpec font;
  int rows = 0, columns = 0;
  int x = 0, y = 0, width = 0, height = 0;  // 0.01 mm
  int textOffsetX = 0, textOffsetY = 0;
  int alignment = 1;
  draw::DecorationKinds decorations;
  int gridWidth = 0;                  // 0.01 mm; 0 = no grid
  std::vector<MmLine> grid;           // columns + 1 vertical, then rows + 1 horizontal

  // The text of cell (row, column): at the cell's corner plus the text offset, column k
  // starting k * width / columns in, extent width / columns, direction 1.
  // Requires: 0 <= row < rows, 0 <= column < columns.
  [[nodiscard]] draw::PrintTextArgs Cell(int row, int column) const;
};

// From a 92-byte list field record; a field without rows or columns has no cells.
[[nodiscard]] std::optional<ListField> ListFieldGeometry(std::span<const std::uint8_t> record, int dpi);

}  // namespace fd::render
