// The installation's settings that every program of the system shares (where the share,
// the client folder, the caches, the printer settings, the form library and the report
// archive are), read from the configuration file's shared part, plus the entries of the
// program's own section for the program to read. The setting names are the programs' command-line
// flags without "--", so a setting moves between the file and the command line as it is.
// See packaging/tbclient.conf for the file an installation gets.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/config_file.h"

namespace tb {

inline constexpr char kInstallationConfigFile[] = "/etc/tbclient/tbclient.conf";

struct InstallationSettings {
  std::filesystem::path shareRoot;    // share-root: stands for \\HOST\vurodor
  std::filesystem::path clientDir;    // client-dir: TBWeb.ini, WEBLOG/
  std::filesystem::path cacheDir;     // cache-dir: caches of imported Jet files
  std::filesystem::path printerDir;   // printer-dir: printers.ini, win.ini (FMDRAW_WINDIR)
  std::filesystem::path formLibrary;  // form-library: libfmdraw32.so
  std::filesystem::path archiveDir;   // archive: the report archive (tbarchive writes, tbclient shows)
};

// Sets the shared setting `name`; false when `name` is not one of them.
bool SetInstallationSetting(InstallationSettings& s, std::string_view name, std::string_view value);

struct ProgramConfig {
  InstallationSettings shared;
  std::vector<platform::ConfigEntry> own;  // the entries of [program], in file order
};

// Reads `file`: the shared settings (each an absolute path; an unknown name is an error)
// and the entries of the section [program]; other programs' sections are skipped.
// Errors read "FILE:LINE: why".
[[nodiscard]] std::optional<ProgramConfig> LoadInstallationConfig(const std::filesystem::path& file,
                                                                  std::string_view program,
                                                                  std::string* error);

// The reason `dir` cannot serve as the folder `what` ("share root") of a running
// program: missing, not a folder, or not readable and searchable by this process;
// nullopt when it can.
[[nodiscard]] std::optional<std::string> UnreadableFolder(const std::filesystem::path& dir,
                                                          std::string_view what);

}  // namespace tb
