#include "formdraw/image/temp_copies.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "formdraw/form/file_search.h"
#include "platform/codepage.h"

namespace fd::image {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
  if (s.size() < suffix.size()) return false;
  for (std::size_t i = 0; i < suffix.size(); ++i)
    if (Lower(s[s.size() - suffix.size() + i]) != suffix[i]) return false;
  return true;
}

}  // namespace

bool IsTiffName(std::string_view name) {
  if (name.size() > kMaxTiffNameBytes) return false;
  return EndsWithNoCase(name, ".tif") || EndsWithNoCase(name, ".tiff");
}

std::string LastNamePart(std::string_view name) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (platform::IsCp932LeadByte(c)) {
      ++i;  // the trail byte may be 0x5C
      continue;
    }
    if (IsSeparator(name[i]) || name[i] == ':') start = i + 1;
  }
  return std::string(name.substr(std::min(start, name.size())));
}

std::string JoinPath(std::string_view directory, std::string_view name) {
  std::string path(directory);
  if (!path.empty() && !IsSeparator(path.back())) path += '/';
  path += name;
  return path;
}

std::string TempCopyFolder(std::string_view tempDirectory) {
  if (!tempDirectory.empty())
    return fmdraw::form::ExistingDirectory(tempDirectory).value_or(std::string(tempDirectory));
  const char* tmp = std::getenv("TMPDIR");
  return tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
}

std::string TempCopyPath(std::string_view tempDirectory, int number) {
  char name[16];
  std::snprintf(name, sizeof name, "$FMKTMP$.%03d", number);
  return JoinPath(TempCopyFolder(tempDirectory), name);
}

std::optional<TempCopy> ClaimTempCopy(std::string_view tempDirectory) {
  if (!tempDirectory.empty() && !fmdraw::form::ExistingDirectory(tempDirectory)) return std::nullopt;
  for (int n = 1; n <= kMaxTempCopies; ++n) {
    std::string path = TempCopyPath(tempDirectory, n);
    // Exclusive creation is the test and the claim in one step.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      return TempCopy{n, std::move(path)};
    }
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

void DeleteTempCopy(const std::string& path) { ::unlink(path.c_str()); }

}  // namespace fd::image
