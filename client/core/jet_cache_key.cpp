#include "client/core/jet_cache_key.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "client/core/database.h"

namespace tb::jet {
namespace {

// Bumped when the import's mapping of values changes, so that old caches are rebuilt.
constexpr std::string_view kImportFormat = "tbjet1";

}  // namespace

SourceState ReadSourceState(const std::filesystem::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) {
    throw db::DbError("cannot examine " + file.string() + ": " + std::strerror(errno));
  }
  SourceState state;
  state.size = static_cast<std::uintmax_t>(st.st_size);
  state.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  state.ctimeNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  state.device = st.st_dev;
  state.inode = st.st_ino;
  return state;
}

std::string HashText(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

std::string SourceId(const std::filesystem::path& canonicalSource) {
  return HashText(canonicalSource.native());
}

namespace {

std::string StateHash(const SourceState& state) {
  const std::string key = std::string(kImportFormat) + "|" + std::to_string(state.size) + "|" +
                          std::to_string(state.mtimeNs) + "|" + std::to_string(state.ctimeNs) +
                          "|" + std::to_string(state.device) + "|" + std::to_string(state.inode);
  return HashText(key);
}

}  // namespace

std::string CacheFileName(std::string_view sourceId, const SourceState& state) {
  return "jet-" + std::string(sourceId) + "-" + StateHash(state) + ".sqlite";
}

std::string FailureFileName(std::string_view sourceId, const SourceState& state) {
  return "jet-" + std::string(sourceId) + "-" + StateHash(state) + ".failed";
}

std::string LockFileName(std::string_view sourceId) {
  return "jet-" + std::string(sourceId) + ".lock";
}

bool IsCacheOf(std::string_view fileName, std::string_view sourceId) {
  const std::string prefix = "jet-" + std::string(sourceId);
  if (!fileName.starts_with(prefix)) return false;
  const std::string_view rest = fileName.substr(prefix.size());
  return (rest.starts_with("-") && (rest.ends_with(".sqlite") || rest.ends_with(".failed"))) ||
         (rest.starts_with(".") && (rest.ends_with(".tmp") || rest.ends_with(".log")));
}

}  // namespace tb::jet
