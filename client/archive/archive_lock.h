// The lock that keeps two archive runs out of one archive folder: an exclusive flock on
// <archive>/.tbarchive/lock, held for the life of the object (and released by the kernel
// when the process dies, so a killed run never leaves the archive locked). The holder's
// process id is written into the file for the refusal message.
#pragma once

#include <filesystem>

namespace tb::archive {

class ArchiveLock {
 public:
  // Creates the control folder when needed and takes the lock without waiting. Throws
  // ArchiveError when another run holds it or the folder cannot be written.
  explicit ArchiveLock(const std::filesystem::path& archiveRoot);
  ~ArchiveLock();
  ArchiveLock(const ArchiveLock&) = delete;
  ArchiveLock& operator=(const ArchiveLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace tb::archive
