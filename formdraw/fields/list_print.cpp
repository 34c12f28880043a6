#include "formdraw/fields/list_print.h"

#include "formdraw/fields/settings.h"
#include "formdraw/render/list_field.h"

namespace fmdraw::fields {

int PrintListBuffer(session::WorkArea& area) {
  if (!area.listBuffer) return kBadArgument;
  // The buffer is gone whatever the printer answers.
  session::ListBuffer buffer = std::move(*area.listBuffer);
  area.listBuffer.reset();
  return fd::render::PrintListField(area, buffer.fieldName, buffer.cells);
}

}  // namespace fmdraw::fields
