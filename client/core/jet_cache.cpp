// Jet file recognition, and the cache entry point. The import itself is not built yet:
// EnsureCache refuses every file with a DbError, which the callers report as an
// unreachable database.
#include "client/core/jet_cache.h"

#include <array>
#include <cstring>
#include <fstream>

#include "client/core/database.h"

namespace tb::jet {

// A Jet 3 or Jet 4 file carries "Standard Jet DB" at offset 4 of its first page, an ACE
// file "Standard ACE DB"; both are followed by a NUL.
bool HasJetHeader(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::array<char, 20> head{};
  if (!in.read(head.data(), head.size())) return false;
  return std::memcmp(head.data() + 4, "Standard Jet DB", 16) == 0 ||
         std::memcmp(head.data() + 4, "Standard ACE DB", 16) == 0;
}

std::filesystem::path EnsureCache(const std::filesystem::path& /*jetFile*/,
                                  const std::filesystem::path& /*cacheDir*/) {
  throw db::DbError("reading Access files is not available yet");
}

}  // namespace tb::jet
