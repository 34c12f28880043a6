#include "formdraw/fields/list_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "formdraw/fields/field_lookup.h"
#include "formdraw/fields/settings.h"
#include "formdraw/form/form_format.h"

namespace fmdraw::fields {

namespace {

using session::ListBuffer;
using session::WorkArea;

// (item length + 8) x columns x rows, or 0 when that passes the cap.
std::size_t BufferBytes(int32_t itemLength, int32_t columns, int32_t rows) {
  const uint64_t bytes = static_cast<uint64_t>(itemLength + kCellSlack) *
                         static_cast<uint64_t>(columns) * static_cast<uint64_t>(rows);
  return bytes > kMaxListBufferBytes ? 0 : static_cast<std::size_t>(bytes);
}

}  // namespace

std::size_t CellOffset(const ListBuffer& buffer, int32_t column, int32_t row) {
  const std::size_t stride = kCellCountBytes + static_cast<std::size_t>(buffer.itemLength);
  const std::size_t index = static_cast<std::size_t>(row - 1) * static_cast<std::size_t>(buffer.columns) +
                            static_cast<std::size_t>(column - 1);
  return index * stride;
}

int AllocListBuffer(WorkArea& area, std::string_view name) {
  if (name.empty() || name.size() > kFieldNameBytes) return kBadValue;
  const form::FormData* form = area.forms.CurrentForm();
  const uint8_t* record = form ? FindField(*form, form::kListField, name) : nullptr;
  if (record == nullptr) return kBadValue;

  area.listBuffer.reset();
  ListBuffer buffer;
  buffer.fieldName = std::string(name);
  buffer.columns = ListColumns(record);
  buffer.rows = ListRows(record);
  buffer.itemLength = area.drawing.itemLength;
  const std::size_t bytes = BufferBytes(buffer.itemLength, buffer.columns, buffer.rows);
  if (bytes == 0 && buffer.columns > 0 && buffer.rows > 0) return kBufferState;
  try {
    buffer.cells.assign(bytes, 0);
  } catch (const std::bad_alloc&) {
    return kBufferState;
  }
  area.listBuffer = std::move(buffer);
  return kOk;
}

int SetListData(WorkArea& area, int32_t column, int32_t row, int32_t length, const char* text) {
  if (!area.listBuffer) return kBadArgument;
  ListBuffer& buffer = *area.listBuffer;
  if (column < 1 || column > buffer.columns || row < 1 || row > buffer.rows) return kBadValue;
  // A count longer than the cell would let the printer read into the next cell.
  const int32_t count = std::clamp(length, 0, buffer.itemLength);
  uint8_t* cell = buffer.cells.data() + CellOffset(buffer, column, row);
  form::PutI16(cell, count);
  uint8_t* bytes = cell + kCellCountBytes;
  std::memset(bytes, 0, static_cast<std::size_t>(buffer.itemLength));
  const std::size_t copied = text == nullptr ? 0 : strnlen(text, static_cast<std::size_t>(count));
  std::memcpy(bytes, text == nullptr ? "" : text, copied);
  return kOk;
}

}  // namespace fmdraw::fields
