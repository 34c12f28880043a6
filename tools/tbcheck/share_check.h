// What tbcheck prints: the client's settings as ReadSettings reads them from a share and
// client folder, the page count of each report kind, and the items of each kind's first
// page, all through the client core (the same files, connection strings and query texts
// the pages use). Messages the core shows appear in the output as "[caption] text".
#pragma once

#include <ostream>

#include "client/core/client_state.h"

namespace tbcheck {

// Returns the number of message boxes the core showed (0 = the share reads cleanly).
int CheckShare(const tb::ClientEnvironment& env, std::ostream& out);

}  // namespace tbcheck
