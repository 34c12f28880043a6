// Printing the session's list buffer into its list field (FmPrintListBuffer). The one
// place that hands the buffer to the list-field printer of the renderer.
#pragma once

#include "formdraw/session/work_area.h"

namespace fmdraw::fields {

// Prints the buffer's cells into its field and frees the buffer. Returns the printer's
// result, or -2 without a buffer.
[[nodiscard]] int PrintListBuffer(session::WorkArea& area);

}  // namespace fmdraw::fields
