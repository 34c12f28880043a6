// Runs tbjetimport as a child process: no inherited descriptors besides stdin/stdout on
// /dev/null and stderr into a log file, default signal handling, an address-space and CPU
// limit applied by the importer to itself, and a wall-clock limit enforced here (SIGKILL).
// Thread-safe: each call waits for its own child only.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>

#include "client/core/database.h"

namespace tb::jet {

struct ImportRun {
  std::filesystem::path importer, source, target, log;
  std::chrono::milliseconds timeout{60000};
  std::uint64_t maxMemoryBytes = 0;
};

// The importer program: `configured` when set, else $TB_JET_IMPORTER, else tbjetimport in
// the folder of the running program.
[[nodiscard]] std::filesystem::path FindImporter(const std::filesystem::path& configured);

// The importer ran and failed: it exited with another code than 0, died by a signal or ran
// out of time. The message carries the last line of its error output. `AboutTheFile` says
// whether the failure tells something about the file: the importer refused it (an exit
// code), crashed on it, or was still working on it when its time ran out. It is not when
// the importer was killed from outside (an operator, the system running out of memory) or
// was waiting for something else than its own work when its time ran out (a share that
// does not answer, a stopped process): an import of the same file may well succeed later.
class ImportFailed : public db::DbError {
 public:
  ImportFailed(std::string message, bool aboutTheFile)
      : db::DbError(std::move(message)), aboutTheFile_(aboutTheFile) {}
  [[nodiscard]] bool AboutTheFile() const { return aboutTheFile_; }

 private:
  bool aboutTheFile_;
};

// Returns when the importer exited with 0. Throws ImportFailed as above, and db::DbError
// when it could not be started.
void RunImporter(const ImportRun& run);

}  // namespace tb::jet
