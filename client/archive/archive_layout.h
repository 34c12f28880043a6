// Where a period's files lie under the archive folder:
//   daily/2026/12/2026-12-08.pdf      with the page CSVs in daily/2026/12/2026-12-08/
//   monthly/2026/2026-12.pdf          with monthly/2026/2026-12/
//   yearly/2026.pdf                   with yearly/2026/
// A later version of a period adds ".vN" to the name (2026-12-08.v2.pdf, 2026-12-08.v2/).
// Each folder that holds period files has one manifest (manifest.tsv) listing them, the
// CSVs of the period subfolders included. Names that start with "." belong to the
// archive program itself (lock, staging) and are never part of the archive.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "client/archive/period_calendar.h"

namespace tb::archive {

inline constexpr std::string_view kManifestName = "manifest.tsv";
// The program's own folder under the archive root (lock file, private printer).
inline constexpr std::string_view kControlFolder = ".tbarchive";
// A period's files are made in this folder beside their final place, then renamed.
inline constexpr std::string_view kStagingFolder = ".tbarchive-staging";

// The folder of the period's manifest, relative to the archive root.
[[nodiscard]] std::filesystem::path ManifestFolder(const Period& p);
// "2026-12-08", "2026-12", "2026".
[[nodiscard]] std::string PeriodStem(const Period& p);
// The stem of a version: the period stem for version 1, "<stem>.vN" after.
[[nodiscard]] std::string VersionStem(const Period& p, int version);

// How many leading components of a path under the archive root name its manifest folder:
// 3 for daily/YYYY/MM, 2 for monthly/YYYY, 1 for yearly; 0 for anything else.
[[nodiscard]] int ManifestDepth(std::string_view kindFolder);

}  // namespace tb::archive
