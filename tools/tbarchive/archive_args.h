// The command line of tbarchive:
//   tbarchive --share-root DIR --client-dir DIR --archive DIR
//             [--kinds daily,monthly,yearly] [--from YYYY-MM-DD] [--max N]
//             [--now "YYYY-MM-DD HH:MM"] [--daily-grace D] [--monthly-grace D]
//             [--yearly-grace D] [--cache-dir DIR] [--form-library PATH]
// Pure parsing: the clock's "now" and the program's folder (default form library) and
// the default cache folder are passed in.
#pragma once

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "client/archive/archive_run.h"

namespace tbarchive {

struct ArgError {
  std::string message;
};
struct HelpWanted {};

struct ArgDefaults {
  tb::LocalTime now{};
  std::filesystem::path formLibrary;
  std::filesystem::path cacheDir;
};

[[nodiscard]] std::variant<tb::archive::RunOptions, HelpWanted, ArgError> ParseArchiveArgs(
    const std::vector<std::string>& args, const ArgDefaults& defaults);

[[nodiscard]] std::string ArchiveUsage();

}  // namespace tbarchive
