// The installation's configuration file (/etc/tbclient/tbclient.conf): UTF-8 lines of
// "key = value", "# comment" or "; comment", and "[section]" headers. Keys before the
// first header are the installation's shared settings (every program reads them); a
// section holds the settings of one program ("[tbclient]"), which other programs skip.
// Parsing is strict, because a typing error in a service's settings should stop the
// service with the line number rather than run it with a default: a line that is none of
// the above, a key twice in one section, or a section twice is an error.
// Thread-safe (no shared state).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct ConfigEntry {
  std::string section;  // "" for the shared settings before the first header
  std::string key;      // as written: letters, digits, '-', '_', '.'
  std::string value;    // blanks around it removed; may be empty
  int line = 0;         // 1-based
};

struct ConfigFile {
  std::vector<ConfigEntry> entries;  // in file order

  // The entries of one section ("" = the shared settings), in file order.
  [[nodiscard]] std::vector<ConfigEntry> Section(std::string_view section) const;
};

// Largest configuration file read (a settings file, not a data file).
inline constexpr std::size_t kConfigMaxBytes = 1024 * 1024;

// Parses `text`; on failure returns nullopt with "line N: why" in *error.
[[nodiscard]] std::optional<ConfigFile> ParseConfigText(std::string_view text, std::string* error);

// Reads and parses `file`; errors name the file ("PATH: why", "PATH:N: why").
[[nodiscard]] std::optional<ConfigFile> ReadConfigFile(const std::filesystem::path& file,
                                                       std::string* error);

}  // namespace platform
