#include "client/web/temp_root.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace tb::web {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kRandomLetters = 6;  // mkdtemp's XXXXXX

}  // namespace

int RemoveAbandonedTempRoots(const fs::path& parent, const std::string& prefix,
                             std::chrono::seconds minAge) {
  DIR* dir = ::opendir(parent.c_str());
  if (dir == nullptr) return 0;
  const int parentFd = ::dirfd(dir);
  const std::time_t now = std::time(nullptr);
  int removed = 0;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name.size() != prefix.size() + kRandomLetters || name.compare(0, prefix.size(), prefix) != 0)
      continue;
    const int fd = ::openat(parentFd, e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st{};
    // Only this user's folders: another user's host, or a folder planted in a shared
    // temporary folder, is none of ours to remove.
    if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && now - st.st_ctime >= minAge.count() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      std::error_code ec;
      if (fs::remove_all(parent / name, ec) > 0 && !ec) ++removed;
    }
    ::close(fd);
  }
  ::closedir(dir);
  return removed;
}

TempRoot::TempRoot(const fs::path& parent, const std::string& prefix) {
  RemoveAbandonedTempRoots(parent, prefix);
  std::string pattern = (parent / (prefix + "XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) return;
  lockFd_ = ::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (lockFd_ < 0 || ::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    std::error_code ec;
    fs::remove_all(pattern, ec);
    if (lockFd_ >= 0) ::close(lockFd_);
    lockFd_ = -1;
    return;
  }
  path_ = pattern;
}

TempRoot::~TempRoot() {
  Remove();
  if (lockFd_ >= 0) ::close(lockFd_);
}

void TempRoot::Remove() {
  if (path_.empty()) return;
  std::error_code ec;
  fs::remove_all(path_, ec);
}

}  // namespace tb::web
