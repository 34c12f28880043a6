// Access (Jet 3, Jet 4, ACE) files read through an SQLite cache: the file's user tables
// are imported by a helper process (tbjetimport) with a time limit, into a cache file
// keyed by the source's path, size and modification time, in a cache folder that is never
// on the share. The cache is replaced atomically; a source that changes during the import
// is imported again. Concurrent callers for the same file import once. Thread-safe.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>

namespace tb::jet {

// True when the file starts with a Jet 3, Jet 4 or ACE database header.
[[nodiscard]] bool HasJetHeader(const std::filesystem::path& file);

// Returns the path of an up-to-date SQLite cache of `jetFile`, importing it when needed.
// Throws db::DbError when the file cannot be imported (malformed, crashed or timed-out
// import, rows missing).
[[nodiscard]] std::filesystem::path EnsureCache(const std::filesystem::path& jetFile,
                                                const std::filesystem::path& cacheDir);

// Limits and location of the import process. The defaults suit the report databases.
struct JetImportOptions {
  std::chrono::milliseconds timeout{60000};     // wall-clock limit of one import
  std::uint64_t maxMemoryBytes = 2ull << 30;    // address-space limit of the import process
  std::filesystem::path importer;  // empty: $TB_JET_IMPORTER, else tbjetimport beside the program
  int attempts = 3;                // imports tried while the file keeps changing under them
  // How long a failed import of an unchanged file is remembered (0: not at all), so that
  // a damaged file does not cost a whole import, up to the time limit, on every request.
  std::chrono::seconds failureMemory{600};
};

// The defaults with the time limit that `timeoutSetting` (the text of
// $TB_JET_IMPORT_TIMEOUT, or null when it is not set) gives: whole seconds from 1 to
// 86400 (a day). Anything else keeps the default limit, so that a mistyped setting
// cannot make every import fail at once.
[[nodiscard]] JetImportOptions ImportOptionsFromSetting(const char* timeoutSetting);

// EnsureCache with explicit options. The two-argument form uses
// ImportOptionsFromSetting(getenv("TB_JET_IMPORT_TIMEOUT")).
[[nodiscard]] std::filesystem::path EnsureCache(const std::filesystem::path& jetFile,
                                                const std::filesystem::path& cacheDir,
                                                const JetImportOptions& options);

}  // namespace tb::jet
