// Names of the files in the Jet cache folder. All files of one source file share an id
// made from its canonical path; the cache file's name adds a hash of the source's state
// (size, modification and change times, device and inode), so any change of the source
// names a different cache file and an existing cache file is always current.
//   jet-<id>-<state>.sqlite   the cache (complete: only ever created by rename)
//   jet-<id>.lock             serialises imports of the source across processes
//   jet-<id>-<state>.failed   the error of a failed import of that state
//   jet-<id>.<n>.tmp/.log     an import in progress and its error output
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tb::jet {

struct SourceState {
  std::uintmax_t size = 0;
  std::int64_t mtimeNs = 0, ctimeNs = 0;
  std::uint64_t device = 0, inode = 0;
  friend bool operator==(const SourceState&, const SourceState&) = default;
};

// Throws db::DbError when the file cannot be examined.
[[nodiscard]] SourceState ReadSourceState(const std::filesystem::path& file);

// 64-bit FNV-1a as 16 hex digits: stable across runs and machines.
[[nodiscard]] std::string HashText(std::string_view text);

[[nodiscard]] std::string SourceId(const std::filesystem::path& canonicalSource);
[[nodiscard]] std::string CacheFileName(std::string_view sourceId, const SourceState& state);
[[nodiscard]] std::string FailureFileName(std::string_view sourceId, const SourceState& state);
[[nodiscard]] std::string LockFileName(std::string_view sourceId);
// True for the cache, failure and leftover temporary files of the source `sourceId`.
[[nodiscard]] bool IsCacheOf(std::string_view fileName, std::string_view sourceId);

}  // namespace tb::jet
