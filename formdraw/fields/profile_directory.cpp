#include "formdraw/fields/profile_directory.h"

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

#include "formdraw/session/printer_registry.h"
#include "platform/profile.h"

namespace fmdraw::fields {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::optional<std::string_view> KeyOfKind(std::string_view kind) {
  if (EqualsIgnoringCase(kind, "FORM")) return "Form";
  if (EqualsIgnoringCase(kind, "IMAGE")) return "Image";
  if (EqualsIgnoringCase(kind, "TEXT")) return "Text";
  return std::nullopt;
}

bool IsDirectory(const char* path) {
  struct stat st {};
  return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

int SetProfileDirectory(const char* directory, const char* kind) {
  if (directory == nullptr || kind == nullptr) return 0;
  auto key = KeyOfKind(kind);
  if (!key || !IsDirectory(directory)) return 0;
  const std::filesystem::path windir = session::WindowsDirectory();
  if (windir.empty() || !IsDirectory(windir.c_str())) return 0;
  return platform::WriteProfileString(windir / "FMKEBRS.ini", "Directory", *key, directory) ? 1 : 0;
}

}  // namespace fmdraw::fields
