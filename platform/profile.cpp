// Profile files on disk: bounded reads, atomic rewrites that keep the file's mode, and
// the UTF-8 edge. The text rules live in profile_document.cpp and profile_lines.cpp.
#include "platform/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "platform/codepage.h"
#include "platform/profile_lines.h"

namespace platform {
namespace fs = std::filesystem;

namespace {

enum class LoadStatus { kOk, kMissing, kFailed };

struct Loaded {
  LoadStatus status = LoadStatus::kFailed;
  std::string bytes;
  mode_t mode = 0;
};

// Reads a whole file of at most kProfileMaxFileBytes. A file that does not exist is
// kMissing; a directory, an unreadable file, an oversized one or anything that is not a
// regular file is kFailed. The open does not block, so a named pipe in place of a
// settings file is refused at once instead of waiting for a writer.
Loaded LoadFile(const fs::path& file) {
  Loaded result;
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) result.status = LoadStatus::kMissing;
    return result;
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
      static_cast<std::size_t>(st.st_size) <= kProfileMaxFileBytes) {
    result.mode = st.st_mode & 07777;
    char buf[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buf, sizeof buf)) > 0 &&
           result.bytes.size() + static_cast<std::size_t>(n) <= kProfileMaxFileBytes)
      result.bytes.append(buf, static_cast<std::size_t>(n));
    if (n == 0) result.status = LoadStatus::kOk;  // reached the end without error or growth
  }
  ::close(fd);
  return result;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Writes the bytes beside `target` and renames them over it, so that a reader sees the
// old or the new file and never a half-written one.
bool ReplaceFile(const fs::path& target, std::string_view bytes, mode_t mode) {
  std::string tmpl = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(tmpl.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(tmpl.c_str());
  return ok;
}

// A write through a symbolic link changes the file it points to, not the link.
fs::path WriteTarget(const fs::path& file) {
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(file, ec))) {
    fs::path resolved = fs::canonical(file, ec);
    if (!ec) return resolved;
  }
  return file;
}

// The value of a key, with whether the file is a UTF-8 one (it starts with a byte-order
// mark). The names are given as the caller holds them; `namesInUtf8` converts them to
// CP932 first unless the file is UTF-8.
struct FoundValue {
  std::optional<std::string> value;
  bool utf8File = false;
};

FoundValue ReadValue(const fs::path& file, std::string_view section, std::string_view key,
                     bool namesInUtf8) {
  FoundValue found;
  Loaded loaded = LoadFile(file);
  if (loaded.status != LoadStatus::kOk) return found;
  found.utf8File = profile_detail::BomLength(loaded.bytes) > 0;
  ProfileDocument doc = ProfileDocument::Parse(loaded.bytes);
  if (namesInUtf8 && !found.utf8File)
    found.value = doc.Get(Utf8ToCp932(section), Utf8ToCp932(key));
  else
    found.value = doc.Get(section, key);
  return found;
}

std::size_t MaxBytes(std::size_t bufferSize) { return bufferSize == 0 ? 0 : bufferSize - 1; }

}  // namespace

std::string ReadProfileString(const fs::path& file, std::string_view section,
                              std::string_view key, std::string_view def,
                              std::size_t bufferSize) {
  FoundValue found = ReadValue(file, section, key, false);
  return profile_detail::CutValue(found.value ? *found.value : def, MaxBytes(bufferSize), false);
}

bool WriteProfileString(const fs::path& file, std::string_view section, std::string_view key,
                        std::optional<std::string_view> value, unsigned newFileMode) {
  if (!ProfileArgumentsWritable(section, key, value)) return false;
  fs::path target = WriteTarget(file);
  Loaded loaded = LoadFile(target);
  if (loaded.status == LoadStatus::kFailed) return false;
  bool exists = loaded.status == LoadStatus::kOk;
  std::string updated = ProfileDocument::Parse(loaded.bytes).Set(section, key, value);
  if (exists && updated == loaded.bytes) return true;
  if (!exists && !value) return true;  // removing from a missing file changes nothing
  return ReplaceFile(target, updated, exists ? loaded.mode : (newFileMode & 07777));
}

// A file that starts with a UTF-8 byte-order mark was saved as UTF-8 by an editor: its
// values are UTF-8 already, and writes keep it UTF-8.
std::string ReadProfileStringUtf8(const fs::path& file, std::string_view section,
                                  std::string_view key, std::string_view def,
                                  std::size_t bufferSize) {
  FoundValue found = ReadValue(file, section, key, true);
  std::size_t max = MaxBytes(bufferSize);
  if (!found.value) return profile_detail::CutValue(def, max, true);
  if (found.utf8File) return profile_detail::CutValue(*found.value, max, true);
  return Cp932ToUtf8(profile_detail::CutValue(*found.value, max, false));
}

bool WriteProfileStringUtf8(const fs::path& file, std::string_view section, std::string_view key,
                            std::optional<std::string_view> value, unsigned newFileMode) {
  Loaded loaded = LoadFile(WriteTarget(file));
  if (loaded.status == LoadStatus::kOk && profile_detail::BomLength(loaded.bytes) > 0)
    return WriteProfileString(file, section, key, value, newFileMode);
  std::optional<std::string> converted;
  if (value) converted = Utf8ToCp932(*value);
  return WriteProfileString(file, Utf8ToCp932(section), Utf8ToCp932(key),
                            converted ? std::optional<std::string_view>(*converted) : std::nullopt,
                            newFileMode);
}

}  // namespace platform
