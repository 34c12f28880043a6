#include "formdraw/fields/profile_directory.h"

#include <optional>
#include <string>
#include <string_view>

#include "formdraw/form/file_search.h"
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

}  // namespace

int SetProfileDirectory(const char* directory, const char* kind) {
  if (directory == nullptr || kind == nullptr) return 0;
  auto key = KeyOfKind(kind);
  // The directory is looked for on disk under its UTF-8 name, then its bytes; the
  // profile, a CP932 file, gets the bytes as given.
  if (!key || !form::ExistingDirectory(directory)) return 0;
  const std::filesystem::path windir = session::WindowsDirectory();
  std::error_code ec;
  if (windir.empty() || !std::filesystem::is_directory(windir, ec)) return 0;
  return platform::WriteProfileString(windir / "FMKEBRS.ini", "Directory", *key, directory) ? 1 : 0;
}

}  // namespace fmdraw::fields
