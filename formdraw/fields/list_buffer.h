// The session's list buffer: the cells of one list field, filled by the caller one at a
// time and printed in one go. A cell is an int16 byte count followed by item-length
// bytes of text (setting code 2, fixed while the buffer exists); cells lie row after row,
// column after column, from column 1, row 1. The block is allocated zero-filled with
// (item length + 8) x columns x rows bytes, so every cell lies inside it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "formdraw/session/work_area.h"

namespace fmdraw::fields {

inline constexpr std::size_t kCellCountBytes = 2;
inline constexpr std::size_t kCellSlack = 8;  // allocated per cell besides the item length
// A list field may declare 32767 x 32767 cells; a buffer beyond this fails as "no memory".
inline constexpr std::size_t kMaxListBufferBytes = 64u << 20;

// Replaces the session's list buffer with an empty one for the named list field of the
// current form. Returns 0; -3 for an empty name, one over 20 bytes or no such field (the
// old buffer is kept then); -4 when the block cannot be allocated (no buffer is left).
[[nodiscard]] int AllocListBuffer(session::WorkArea& area, std::string_view name);

// Stores one cell: the byte count `length` (cut to 0..item length) and up to that many
// bytes of `text`, stopping at a NUL; the rest of the cell is zero. Returns 0, -2 without
// a buffer, -3 for a column or row outside the field.
[[nodiscard]] int SetListData(session::WorkArea& area, int32_t column, int32_t row,
                              int32_t length, const char* text);

// Bytes from the start of the buffer to cell (column, row), both 1-based.
[[nodiscard]] std::size_t CellOffset(const session::ListBuffer& buffer, int32_t column,
                                     int32_t row);

}  // namespace fmdraw::fields
