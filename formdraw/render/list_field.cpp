#include "formdraw/render/list_field.h"

#include <algorithm>

#include "formdraw/form/form_format.h"
#include "formdraw/render/field_format.h"
#include "formdraw/render/field_geometry.h"
#include "formdraw/render/field_lookup.h"
#include "formdraw/render/field_printing.h"
#include "formdraw/session/draw_calls.h"

namespace fd::render {

using fmdraw::session::WorkArea;

namespace {

// The text of cell `n`: its int16 length, at most the item length, 0 past the buffer.
std::string_view CellText(std::span<const std::uint8_t> cells, std::size_t n, int itemLength) {
  const std::size_t stride = 2 + static_cast<std::size_t>(itemLength);
  const std::size_t at = n * stride;
  if (at + stride > cells.size()) return {};
  const int length = std::clamp<int>(fmdraw::form::GetI16(cells.data() + at), 0, itemLength);
  return {reinterpret_cast<const char*>(cells.data() + at + 2), static_cast<std::size_t>(length)};
}

}  // namespace

int PrintListField(WorkArea& area, std::string_view name, std::span<const std::uint8_t> cells) {
  const auto field = FindListField(area, name);
  if (!field) return -3;
  const auto list = ListFieldGeometry(field->record, area.dpi);
  if (!list) return -3;
  if (MakeFieldFont(area, list->font) != 0) return -5;
  fmdraw::session::SetTextColour(
      area, static_cast<fmdraw::device::Color>(fmdraw::form::GetI32(field->record.data() + 88)) & 0xFFFFFF);
  const FormatOptions options{area.drawing.cutLongText == 1, area.drawing.padCharacter};
  const int itemLength = std::max(0, area.drawing.itemLength);
  int result = 0;
  for (int row = 0; row < list->rows; ++row) {
    for (int column = 0; column < list->columns; ++column) {
      const std::size_t n = static_cast<std::size_t>(row) * list->columns + column;
      if ((n + 1) * (2 + static_cast<std::size_t>(itemLength)) > cells.size()) break;
      const std::string_view value = CellText(cells, n, itemLength);
      if (value.empty()) continue;
      const auto text = FormatFieldValue(value, field->format, options);
      if (!text) {
        result = -4;
        continue;
      }
      const draw::PrintTextArgs c = list->Cell(row, column);
      // Decorations only over a text that was laid out: an empty or refused text
      // recorded no positions of its own.
      if (fmdraw::session::PrintText(area, c.x, c.y, c.extent, 1, c.alignment, *text) == 0 && !text->empty())
        DecorateLastText(area, list->decorations, false);
    }
  }
  DrawFieldLines(area, list->gridWidth, list->grid);
  return result;
}

std::size_t ListFieldCellBytes(const WorkArea& area, std::string_view name) {
  const auto field = FindListField(area, name);
  if (!field) return 0;
  const auto list = ListFieldGeometry(field->record, area.dpi);
  if (!list || list->rows <= 0 || list->columns <= 0) return 0;
  return static_cast<std::size_t>(list->rows) * static_cast<std::size_t>(list->columns) *
         (2 + static_cast<std::size_t>(std::max(0, area.drawing.itemLength)));
}

}  // namespace fd::render
