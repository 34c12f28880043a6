// The command line of tbclient: where the share and the client folder are, where to
// listen, where the Jet caches, the printer settings and the form library are. The same
// settings can come from the installation's configuration file (--config); the command
// line overrides it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "client/core/installation_config.h"

namespace tb::web {

// The folders (share root, client folder, caches, printer settings — empty means
// $FMDRAW_WINDIR — and the form library) and where to listen.
struct Options : InstallationSettings {
  std::filesystem::path configFile;  // empty = none read
  std::string host = "127.0.0.1";
  int port = 8080;
  bool help = false;
  bool version = false;
};

// The usage text printed by --help.
std::string Usage();
// The line printed by --version: "tbclient 1.0.113".
std::string VersionLine();

// Reads argv (without the program name). `exeDir` is the folder of the program (for the
// default form library). Returns nullopt with a message in *error for a bad flag or
// setting, a missing value, a missing or unreadable folder, or a bad listen address.
std::optional<Options> ParseOptions(const std::vector<std::string>& args,
                                    const std::filesystem::path& exeDir, std::string* error);

// "HOST:PORT" or "[V6]:PORT" into host and port; false when it is not that.
bool ParseListen(std::string_view text, std::string* host, int* port);

// The form library a program in `exeDir` loads by default: in the build tree
// ../lib/libfmdraw32.so, when installed the library folder the program was installed with.
std::filesystem::path DefaultFormLibrary(const std::filesystem::path& exeDir);

}  // namespace tb::web
