// What the archive holds, for the read-only archive page: the years and months that have
// period folders, and the periods, versions and files a folder's manifest lists. Only
// what a manifest lists is offered, and files are opened without following any symbolic
// link below the archive root, so nothing outside the archive (and no file a stopped run
// left unrecorded) is ever served. Pure reads; safe to call from several threads.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/archive/period_calendar.h"

namespace tb::archive {

struct IndexedFile {
  std::string path;  // relative to the archive root, "/"-separated
  std::string name;  // the file's own name
  std::uintmax_t bytes = 0;
};

struct IndexedVersion {
  int version = 0;
  std::string written;
  std::optional<IndexedFile> pdf;
  std::vector<IndexedFile> pages;  // the page CSVs, in name order
};

struct IndexedPeriod {
  std::string key;                      // "2026/12/8"
  bool noData = false;                  // the newest line says the period had no rows
  std::vector<IndexedVersion> versions; // newest first
};

// Year folders ("2026") of a kind with content, in order (daily and monthly).
[[nodiscard]] std::vector<std::string> ArchivedYears(const std::filesystem::path& root, Kind kind);
// Month folders ("01" .. "12") of a daily year, in order.
[[nodiscard]] std::vector<std::string> ArchivedMonths(const std::filesystem::path& root, std::string_view year);

// The periods of a manifest folder ("daily/2026/12", "monthly/2026", "yearly"), in the
// order they were first archived; nullopt when `folder` is no such folder or has no
// readable manifest.
[[nodiscard]] std::optional<std::vector<IndexedPeriod>> ArchivedPeriods(const std::filesystem::path& root,
                                                                        std::string_view folder);

// True for a request path made only of archive names: "/"-separated parts of letters,
// digits, ".", "-" and "_", none empty or starting with ".", at most 6 parts.
[[nodiscard]] bool IsArchivePath(std::string_view relative);

// An archived file opened for reading: a file a manifest lists, or a manifest itself.
struct OpenedFile {
  int fd = -1;  // owned by the caller
  std::uintmax_t bytes = 0;
  std::string name;
};
[[nodiscard]] std::optional<OpenedFile> OpenArchivedFile(const std::filesystem::path& root,
                                                         std::string_view relative);

}  // namespace tb::archive
