// One archive pass, as tbarchive runs it: lock the archive folder, read the report
// settings, find the periods due (archive_plan.h), and write them oldest first, at most
// `maxPeriods` of them, with a progress line per period ("period n of N"). The first
// failure ends the run: its period leaves nothing behind and is due again next time.
// Writes progress to `out` and failures to `err`; never throws.
#pragma once

#include <filesystem>
#include <ostream>

#include "client/archive/archive_plan.h"
#include "client/core/client_state.h"

namespace tb::archive {

struct RunOptions {
  ClientEnvironment env;  // share root, client folder, Jet cache folder, form library
  std::filesystem::path archiveRoot;
  PlanInput plan;         // kinds, first date, now, grace times (starts come from Vurodor.ini)
  int maxPeriods = 400;
};

// Exit codes of a run.
inline constexpr int kExitDone = 0;         // everything due is archived
inline constexpr int kExitFailed = 1;       // something failed; the message says what
inline constexpr int kExitBadArguments = 2;
inline constexpr int kExitMoreDue = 3;      // stopped at the cap; the next run goes on

[[nodiscard]] int RunArchive(const RunOptions& options, std::ostream& out, std::ostream& err);

// Removes what stopped runs left: staging folders and temporary files (names starting
// with "." under the kind folders). Throws ArchiveError.
void RemoveLeftovers(const std::filesystem::path& archiveRoot);

}  // namespace tb::archive
