// What tbexport does once its arguments are read: settings from the share, the period's
// description and page count, the workbook.
#pragma once

#include <ostream>

#include "tools/tbexport/export_options.h"

namespace tbexport {

// Returns the exit status: 0 written (a line on `out` says what), 1 not written (the
// client's message or the reason on `err`), 2 for a share or client folder that is missing.
[[nodiscard]] int Run(const Options& o, std::ostream& out, std::ostream& err);

}  // namespace tbexport
