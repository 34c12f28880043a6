// The manifest of one archive folder (manifest.tsv): every file the archive wrote there,
// with its size, SHA-256 and the fingerprint of the period data it was made from, and the
// periods that had no data. Lines are only ever added: the newest line of a period says
// its current state, older lines are its earlier versions. Format: docs/formats/
// archive-manifest.md. A value type; not thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tb::archive {

inline constexpr std::string_view kNoDataType = "nodata";

struct ManifestEntry {
  std::string period;       // the period key ("2026/12/8")
  int version = 0;          // 1, 2, ...; 0 for a no-data line
  std::string type;         // "pdf", "csv" (the file's extension) or "nodata"
  std::string file;         // relative to the manifest's folder, "/"-separated; "-" for no data
  std::uintmax_t bytes = 0;
  std::string sha256;       // of the file; "-" for no data
  std::string data;         // fingerprint of the period's data rows
  std::string written;      // local time of writing, "2026-12-09 09:00:03"

  [[nodiscard]] bool NoData() const { return type == kNoDataType; }
};

// What the newest line of a period says.
struct PeriodState {
  int version = 0;   // the highest version with files so far (0: none)
  bool noData = false;
  std::string data;  // fingerprint of the newest line
};

class Manifest {
 public:
  // Reads manifest text; `where` names the file in the error. Throws ArchiveError for a
  // line that does not read (a manifest is never guessed at: files could be lost).
  static Manifest Parse(std::string_view text, const std::string& where);
  [[nodiscard]] std::string Text() const;

  [[nodiscard]] const std::vector<ManifestEntry>& Entries() const { return entries_; }
  [[nodiscard]] std::optional<PeriodState> StateOf(std::string_view period) const;
  [[nodiscard]] const ManifestEntry* FindFile(std::string_view file) const;
  // The period keys in the order they first appear.
  [[nodiscard]] std::vector<std::string> Periods() const;

  void Add(std::vector<ManifestEntry> entries);

 private:
  std::vector<ManifestEntry> entries_;
};

}  // namespace tb::archive
