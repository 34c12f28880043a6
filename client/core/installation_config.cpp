#include "client/core/installation_config.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tb {

bool SetInstallationSetting(InstallationSettings& s, std::string_view name, std::string_view value) {
  std::filesystem::path* target = name == "share-root"     ? &s.shareRoot
                                  : name == "client-dir"   ? &s.clientDir
                                  : name == "cache-dir"    ? &s.cacheDir
                                  : name == "printer-dir"  ? &s.printerDir
                                  : name == "form-library" ? &s.formLibrary
                                  : name == "archive"      ? &s.archiveDir
                                                           : nullptr;
  if (target == nullptr) return false;
  *target = std::filesystem::path(value);
  return true;
}

std::optional<ProgramConfig> LoadInstallationConfig(const std::filesystem::path& file,
                                                    std::string_view program, std::string* error) {
  auto parsed = platform::ReadConfigFile(file, error);
  if (!parsed) return std::nullopt;
  auto fail = [&](const platform::ConfigEntry& e, const std::string& why) {
    *error = file.string() + ":" + std::to_string(e.line) + ": " + why;
    return std::nullopt;
  };
  ProgramConfig config;
  for (const auto& e : parsed->Section("")) {
    // The service's working folder is not the file's: a relative path would mean
    // something else to each program that reads it.
    if (!SetInstallationSetting(config.shared, e.key, e.value))
      return fail(e, "unknown setting '" + e.key + "'");
    if (e.value.empty() || e.value.front() != '/') return fail(e, e.key + " wants an absolute path");
  }
  config.own = parsed->Section(program);
  return config;
}

std::optional<std::string> UnreadableFolder(const std::filesystem::path& dir, std::string_view what) {
  std::error_code ec;
  const auto status = std::filesystem::status(dir, ec);
  if (!std::filesystem::exists(status))
    return std::string(what) + " does not exist: " + dir.string();
  if (!std::filesystem::is_directory(status))
    return std::string(what) + " is not a folder: " + dir.string();
  if (::access(dir.c_str(), R_OK | X_OK) != 0)
    return std::string(what) + " cannot be read: " + dir.string() + " (" + std::strerror(errno) + ")";
  return std::nullopt;
}

}  // namespace tb
