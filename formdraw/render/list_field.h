// FmPrintListField as a C++ call: prints the cells of a list field of the current form
// from a cell buffer (row by row, each cell an int16 length plus item-length bytes, the
// item length of setting code 2). Also used by FmPrintListBuffer.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "formdraw/session/work_area.h"

namespace fd::render {

// Returns 0; -3 no list field of that name; -4 at least one cell did not fit its format
// (the other cells are printed); -5 the field's font cannot be made. The session must be
// open (the export checks it).
int PrintListField(fmdraw::session::WorkArea& area, std::string_view name,
                   std::span<const std::uint8_t> cells);

// The size of the cell buffer of list field `name` (rows x columns cells of the session's
// item length); 0 when there is no such field or it has no cells.
[[nodiscard]] std::size_t ListFieldCellBytes(const fmdraw::session::WorkArea& area,
                                             std::string_view name);

}  // namespace fd::render
