#include "client/archive/manifest_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "client/archive/archive_error.h"
#include "client/archive/archive_layout.h"
#include "client/archive/durable_files.h"

namespace tb::archive {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxManifestBytes = 64u << 20;

std::string ReadWhole(const fs::path& file, bool* missing) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) {
      *missing = true;
      return {};
    }
    throw SystemError("cannot read", file.string(), errno);
  }
  std::string text;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || text.size() > kMaxManifestBytes) {
      const int err = n < 0 ? errno : EFBIG;
      ::close(fd);
      throw SystemError("cannot read", file.string(), err);
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return text;
}

}  // namespace

Manifest ReadManifest(const fs::path& folder) {
  const fs::path file = folder / kManifestName;
  bool missing = false;
  const std::string text = ReadWhole(file, &missing);
  return missing ? Manifest{} : Manifest::Parse(text, file.string());
}

const Manifest& ManifestStore::Get(const fs::path& folder) {
  auto it = cache_.find(folder);
  if (it == cache_.end()) it = cache_.emplace(folder, ReadManifest(root_ / folder)).first;
  return it->second;
}

void ManifestStore::Append(const fs::path& folder, std::vector<ManifestEntry> entries) {
  Manifest updated = Get(folder);
  updated.Add(std::move(entries));
  WriteFileAtomically(root_ / folder / kManifestName, updated.Text());
  cache_[folder] = std::move(updated);
}

}  // namespace tb::archive
