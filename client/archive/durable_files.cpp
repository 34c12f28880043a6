#include "client/archive/durable_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "client/archive/archive_error.h"

namespace tb::archive {
namespace fs = std::filesystem;

namespace {

// Writes all of `bytes` to fd, then flushes and closes it; returns 0 or the errno.
int WriteAllAndClose(int fd, std::string_view bytes) {
  int err = 0;
  for (std::size_t done = 0; done < bytes.size() && err == 0;) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) err = errno;
    else done += static_cast<std::size_t>(n);
  }
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  // A failed close can report a write the disk refused late (network file systems).
  if (::close(fd) != 0 && err == 0) err = errno;
  return err;
}

fs::path ParentOf(const fs::path& p) {
  const fs::path parent = p.parent_path();
  return parent.empty() ? fs::path(".") : parent;
}

}  // namespace

void SyncPath(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw SystemError("cannot open", path.string(), errno);
  const int rc = ::fsync(fd);
  const int err = errno;
  ::close(fd);
  // Some file systems cannot flush a folder; the rename itself has still happened.
  if (rc != 0 && err != EINVAL && err != EROFS) throw SystemError("cannot flush", path.string(), err);
}

void WriteFileAtomically(const fs::path& file, std::string_view bytes) {
  std::string temp = (ParentOf(file) / ("." + file.filename().string() + ".tmp-XXXXXX")).string();
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) throw SystemError("cannot write", file.string(), errno);
  ::fchmod(fd, 0644);
  if (const int err = WriteAllAndClose(fd, bytes); err != 0) {
    ::unlink(temp.c_str());
    throw SystemError("cannot write", file.string(), err);
  }
  if (::rename(temp.c_str(), file.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    throw SystemError("cannot write", file.string(), err);
  }
  SyncPath(ParentOf(file));
}

void WriteFileDurably(const fs::path& file, std::string_view bytes) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw SystemError("cannot write", file.string(), errno);
  if (const int err = WriteAllAndClose(fd, bytes); err != 0) {
    ::unlink(file.c_str());
    throw SystemError("cannot write", file.string(), err);
  }
}

void MakeFolders(const fs::path& folder) {
  std::vector<fs::path> missing;
  std::error_code ec;
  for (fs::path p = folder; !p.empty() && !fs::exists(p, ec); p = p.parent_path()) {
    missing.push_back(p);
    if (p == p.parent_path()) break;
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (::mkdir(it->c_str(), 0755) != 0 && errno != EEXIST)
      throw SystemError("cannot create the folder", it->string(), errno);
    SyncPath(ParentOf(*it));
  }
  if (!fs::is_directory(folder, ec)) throw ArchiveError("not a folder: " + folder.string());
}

void Rename(const fs::path& from, const fs::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) throw SystemError("cannot move into place", to.string(), errno);
}

std::string ReadTail(const fs::path& file, std::size_t n) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw SystemError("cannot read", file.string(), errno);
  struct stat st{};
  std::string tail;
  if (::fstat(fd, &st) == 0) {
    const auto size = static_cast<std::size_t>(st.st_size);
    tail.resize(std::min(n, size));
    const ssize_t got = ::pread(fd, tail.data(), tail.size(), static_cast<off_t>(size - tail.size()));
    tail.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  }
  ::close(fd);
  return tail;
}

void RemoveTree(const fs::path& path) {
  std::error_code ec;
  fs::remove_all(path, ec);
  if (ec) throw ArchiveError("cannot remove " + path.string() + ": " + ec.message());
}

}  // namespace tb::archive
