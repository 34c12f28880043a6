// Runs tbjetimport as a child process: no inherited descriptors besides stdin/stdout on
// /dev/null and stderr into a log file, default signal handling, an address-space and CPU
// limit applied by the importer to itself, and a wall-clock limit enforced here (SIGKILL).
// Thread-safe: each call waits for its own child only.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>

namespace tb::jet {

struct ImportRun {
  std::filesystem::path importer, source, target, log;
  std::chrono::milliseconds timeout{60000};
  std::uint64_t maxMemoryBytes = 0;
};

// The importer program: `configured` when set, else $TB_JET_IMPORTER, else tbjetimport in
// the folder of the running program.
[[nodiscard]] std::filesystem::path FindImporter(const std::filesystem::path& configured);

// Returns when the importer exited with 0. Throws db::DbError when it could not be started,
// exited with another code, died by a signal or ran out of time; the message carries the
// last line of its error output.
void RunImporter(const ImportRun& run);

}  // namespace tb::jet
