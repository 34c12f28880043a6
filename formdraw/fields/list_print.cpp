#include "formdraw/fields/list_print.h"

#include <span>
#include <string_view>

#include "formdraw/fields/settings.h"

#if __has_include("formdraw/render/list_field.h")
#include "formdraw/render/list_field.h"
#define FMDRAW_HAVE_LIST_FIELD 1
#endif

namespace fmdraw::fields {

namespace {

int PrintCells(session::WorkArea& area, std::string_view name, std::span<const uint8_t> cells) {
#ifdef FMDRAW_HAVE_LIST_FIELD
  return PrintListField(area, name, cells);
#else
  // Without the list-field printer in this build nothing can be drawn: the field
  // counts as not printable.
  (void)area, (void)name, (void)cells;
  return kBadValue;
#endif
}

}  // namespace

int PrintListBuffer(session::WorkArea& area) {
  if (!area.listBuffer) return kBadArgument;
  session::ListBuffer buffer = std::move(*area.listBuffer);
  area.listBuffer.reset();
  return PrintCells(area, buffer.fieldName, buffer.cells);
}

}  // namespace fmdraw::fields
