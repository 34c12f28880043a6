// The command line of tbclient: where the share and the client folder are, where to
// listen, where the Jet caches and the form library are.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tb::web {

struct Options {
  std::filesystem::path shareRoot;  // stands for \\HOST\vurodor
  std::filesystem::path clientDir;  // TBWeb.ini, WEBLOG/
  std::filesystem::path cacheDir;   // Jet caches
  std::filesystem::path formLibrary;
  std::filesystem::path archiveDir;  // the report archive shown under /archive/ (optional)
  std::string host = "127.0.0.1";
  int port = 8080;
  bool help = false;
};

// The usage text printed by --help.
std::string Usage();

// Reads argv (without the program name). `exeDir` is the folder of the program (for the
// default form library). Returns nullopt with a message in *error for a bad flag, a
// missing value or folder, or a bad --listen address.
std::optional<Options> ParseOptions(const std::vector<std::string>& args,
                                    const std::filesystem::path& exeDir, std::string* error);

// "HOST:PORT" or "[V6]:PORT" into host and port; false when it is not that.
bool ParseListen(std::string_view text, std::string* host, int* port);

}  // namespace tb::web
