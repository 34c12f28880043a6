#include "client/archive/archive_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "client/archive/archive_error.h"
#include "client/archive/archive_layout.h"
#include "client/archive/durable_files.h"

namespace tb::archive {

namespace {

std::string HolderOf(int fd) {
  char buffer[32] = {};
  const ssize_t n = ::pread(fd, buffer, sizeof buffer - 1, 0);
  std::string pid = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
  while (!pid.empty() && (pid.back() == '\n' || pid.back() == ' ')) pid.pop_back();
  return pid.empty() ? std::string() : " (process " + pid + ")";
}

}  // namespace

ArchiveLock::ArchiveLock(const std::filesystem::path& archiveRoot) {
  const auto folder = archiveRoot / kControlFolder;
  MakeFolders(folder);
  const auto file = folder / "lock";
  fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) throw SystemError("cannot open the archive lock", file.string(), errno);
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    const std::string holder = HolderOf(fd_);
    ::close(fd_);
    fd_ = -1;
    if (err == EWOULDBLOCK)
      throw ArchiveError("another archive run" + holder + " is working in " + archiveRoot.string() +
                         "; this run does nothing");
    throw SystemError("cannot lock", file.string(), err);
  }
  const std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd_, 0) == 0) (void)!::pwrite(fd_, pid.data(), pid.size(), 0);
}

ArchiveLock::~ArchiveLock() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

}  // namespace tb::archive
