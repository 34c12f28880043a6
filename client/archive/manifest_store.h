// The manifests of one archive folder tree, read on first use and written back atomically
// when a period was added. Owned by one archive run; not thread-safe.
#pragma once

#include <filesystem>
#include <map>

#include "client/archive/manifest.h"

namespace tb::archive {

// Reads <folder>/manifest.tsv; an absent file is an empty manifest. Throws ArchiveError.
[[nodiscard]] Manifest ReadManifest(const std::filesystem::path& folder);

class ManifestStore {
 public:
  explicit ManifestStore(std::filesystem::path root) : root_(std::move(root)) {}

  // The manifest of a folder relative to the root.
  [[nodiscard]] const Manifest& Get(const std::filesystem::path& folder);
  // Adds lines and writes the folder's manifest (temporary name, flush, rename). When the
  // write fails the lines are not kept, so the manifest in memory stays the one on disk.
  void Append(const std::filesystem::path& folder, std::vector<ManifestEntry> entries);

 private:
  std::filesystem::path root_;
  std::map<std::filesystem::path, Manifest> cache_;
};

}  // namespace tb::archive
