// The read-only archive page of the web host, a small route module beside the report
// pages:
//   GET /archive/                        kinds with their years and months
//   GET /archive/daily/2026/12/          the periods of a folder: PDF to open, CSVs to save
//   GET /archive/<folder>/<file>         a file its folder's manifest lists (or the manifest)
// Everything comes from the archive folder's manifests (client/archive/archive_index.h);
// nothing is written, and nothing outside the archive folder or unrecorded in it is
// served. Without an archive folder every address answers 404. Thread-safe.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace httplib {
class Server;
}

namespace tb::web {

void AddArchiveRoutes(httplib::Server& http, const std::filesystem::path& archiveRoot);

// The pages as HTML (UTF-8).
[[nodiscard]] std::string ArchiveIndexHtml(const std::filesystem::path& archiveRoot);
[[nodiscard]] std::optional<std::string> ArchiveFolderHtml(const std::filesystem::path& archiveRoot,
                                                           std::string_view folder);

}  // namespace tb::web
