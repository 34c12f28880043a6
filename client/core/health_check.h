// Whether this installation can serve reports right now: the share and the client folder
// readable, TBWeb.ini and Vurodor.ini read, the layout database and the data database
// opened, all through the same procedures the pages use. For the web host's health answer
// and for monitoring: the result holds a short reason for people and, for the log, the
// error behind it, never any report data. Opens connections of its own and closes them;
// safe to call from any thread.
#pragma once

#include <string>

#include "client/core/client_state.h"

namespace tb {

struct HealthResult {
  bool ok = false;
  std::string reason;  // "" when ok; else e.g. "layout database not reachable"
  std::string detail;  // the error behind the reason, for the log only (may name files)
};

[[nodiscard]] HealthResult CheckInstallation(const ClientEnvironment& env);

}  // namespace tb
