#include "formdraw/form/file_search.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/codepage.h"

namespace fmdraw::form {

namespace {

bool IsReadableFile(const std::string& path) {
  struct stat st{};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         ::access(path.c_str(), R_OK) == 0;
}

std::optional<std::string> FindDiskNameInFolder(const std::string& folder, std::string_view bare) {
  std::string base = folder.empty() ? std::string(".") : folder;
  std::string exact = base + "/" + std::string(bare);
  if (IsReadableFile(exact)) return folder.empty() ? std::string(bare) : exact;
  DIR* dir = ::opendir(base.c_str());
  if (dir == nullptr) return std::nullopt;
  std::optional<std::string> found;
  std::string wanted(bare);
  while (dirent* entry = ::readdir(dir)) {
    if (::strcasecmp(entry->d_name, wanted.c_str()) != 0) continue;
    std::string candidate = base + "/" + entry->d_name;
    if (IsReadableFile(candidate)) {
      found = folder.empty() ? std::string(entry->d_name) : candidate;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

std::optional<std::string> FindInFolder(const std::string& folder, std::string_view bare) {
  for (const std::string& name : DiskNames(bare))
    if (auto found = FindDiskNameInFolder(folder, name)) return found;
  return std::nullopt;
}

bool IsDirectory(const std::string& path) {
  struct stat st{};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
  struct stat st{};
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

// The folder part of a disk name ("." for a name without one).
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

template <typename Fits>
std::optional<std::string> FirstDiskName(std::string_view cp932, Fits fits) {
  for (const std::string& name : DiskNames(cp932))
    if (fits(name)) return name;
  return std::nullopt;
}

}  // namespace

std::vector<std::string> DiskNames(std::string_view cp932) {
  std::vector<std::string> names;
  const bool ascii = std::all_of(cp932.begin(), cp932.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!ascii) {
    // The converter marks bytes that are not CP932 with U+FFFD, which CP932 cannot hold:
    // such a name has no UTF-8 form.
    std::string utf8 = platform::Cp932ToUtf8(cp932);
    if (utf8.find("\xEF\xBF\xBD") == std::string::npos && utf8 != cp932) names.push_back(std::move(utf8));
  }
  names.emplace_back(cp932);
  return names;
}

std::optional<std::string> ExistingFile(std::string_view cp932) { return FirstDiskName(cp932, IsReadableFile); }

std::optional<std::string> ExistingDirectory(std::string_view cp932) { return FirstDiskName(cp932, IsDirectory); }

std::string CreatableName(std::string_view cp932) {
  if (auto existing = FirstDiskName(cp932, Exists)) return *existing;
  if (auto placeable = FirstDiskName(cp932, [](const std::string& n) { return IsDirectory(FolderOf(n)); }))
    return *placeable;
  return std::string(cp932);
}

std::optional<std::string> BareName(std::string_view name) {
  if (name.size() < 3) return std::nullopt;
  std::size_t last = 0;  // 0 = none (a separator at the first byte counts as none)
  std::size_t limit = name.size() - 3;
  for (std::size_t i = 0; i < name.size() && i <= limit; ++i) {
    unsigned char b = static_cast<unsigned char>(name[i]);
    if (platform::IsCp932LeadByte(b)) {
      ++i;
      continue;
    }
    if ((b == '\\' || b == '/') && i >= 1) last = i;
  }
  if (last == 0) return std::nullopt;
  return std::string(name.substr(last + 1));
}

std::optional<std::string> SystemFileSearch(std::string_view bareName) {
  if (bareName.empty() || bareName.find('/') != std::string_view::npos) return std::nullopt;
  if (bareName == "." || bareName == "..") return std::nullopt;
  if (auto here = FindInFolder("", bareName)) return here;
  const char* path = std::getenv("FMDRAW_PATH");
  if (path == nullptr) return std::nullopt;
  std::string_view rest(path);
  while (!rest.empty()) {
    std::size_t colon = rest.find(':');
    std::string folder(rest.substr(0, colon));
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    if (folder.empty()) continue;
    if (auto found = FindInFolder(folder, bareName)) return found;
  }
  return std::nullopt;
}

std::optional<std::string> LocateFile(std::string_view name) {
  if (auto given = ExistingFile(name)) return given;
  auto bare = BareName(name);
  if (!bare) {
    // A bare name given by itself is looked up through the search as well.
    if (name.find('/') == std::string_view::npos && name.find('\\') == std::string_view::npos)
      return SystemFileSearch(name);
    return std::nullopt;
  }
  return SystemFileSearch(*bare);
}

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path) {
  // Opened without waiting, and only a regular file is read: a named pipe or a device
  // given as a form or browse file would otherwise block the caller for good.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
  while (bytes.size() < kMaxInputFileBytes) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(n), kMaxInputFileBytes - bytes.size());
    bytes.insert(bytes.end(), buffer, buffer + take);
  }
  ::close(fd);
  return bytes;
}

std::optional<std::vector<uint8_t>> ReadNamedFile(std::string_view cp932) {
  auto path = ExistingFile(cp932);
  if (!path) return std::nullopt;
  return ReadFileBytes(*path);
}

std::optional<std::vector<uint8_t>> ReadLocatedFile(std::string_view name, std::string* opened) {
  auto path = LocateFile(name);
  if (!path) return std::nullopt;
  auto bytes = ReadFileBytes(*path);
  if (bytes && opened != nullptr) *opened = *path;
  return bytes;
}

}  // namespace fmdraw::form
