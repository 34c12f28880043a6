// Test support for the archive: a demo share seeded once per test program (30 tags, one
// year of values up to 10 March 2026, day start hour 8, fiscal year from April, with its
// report forms) and copied into each test's own folder, the options of a run on it, and
// a check that an archive folder holds exactly what its manifests list. Header-only; used
// by *_test.cpp files only.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "client/archive/archive_layout.h"
#include "client/archive/archive_run.h"
#include "client/archive/manifest_store.h"
#include "client/archive/sha256.h"
#include "client/core/test_files.h"
#include "tools/tbseed/seed_share.h"

namespace tb::archive::testing {

namespace fs = std::filesystem;

// The seeded share, made on first use and removed when the test program ends.
inline const fs::path& SeededTemplate() {
  static ::tb::testing::TempDir dir;
  static const fs::path root = [] {
    tbseed::SeedOptions o;
    o.shareRoot = dir.path() / "share";
    o.clientDir = dir.path() / "client";
    o.tags = 30;
    o.years = 1;
    o.endDate = std::chrono::year{2026} / 3 / 10;
    o.seed = 3;
    (void)tbseed::SeedShare(o);
    return dir.path();
  }();
  return root;
}

// A copy of the seeded share in a test's own folder, and the options of a run on it.
class ArchiveShare {
 public:
  ArchiveShare() {
    fs::copy(SeededTemplate(), dir_.path(), fs::copy_options::recursive);
    fs::create_directories(dir_.path() / "cache");
  }
  [[nodiscard]] fs::path Root() const { return dir_.path(); }
  [[nodiscard]] fs::path Share() const { return dir_.path() / "share"; }
  [[nodiscard]] fs::path Client() const { return dir_.path() / "client"; }
  [[nodiscard]] fs::path DataDb() const { return Share() / "TB_DataBase" / "RIVove.mdb"; }
  [[nodiscard]] fs::path Archive() const { return dir_.path() / "archive"; }

  // A run of every kind from `from` at `now` ("2026-03-10 12:00" style), through the form
  // library `library`.
  [[nodiscard]] RunOptions Options(const fs::path& library, std::chrono::year_month_day from,
                                   LocalTime now) const {
    RunOptions o;
    o.env = {Share(), Client(), dir_.path() / "cache", library};
    o.archiveRoot = Archive();
    o.plan.from = from;
    o.plan.now = now;
    return o;
  }
  // Runs SQL on the data database (the logging side correcting a value).
  void ChangeData(const std::string& sql) const { ::tb::testing::MakeSqlite(DataDb(), sql); }

 private:
  ::tb::testing::TempDir dir_;
};

inline LocalTime At(int y, unsigned m, unsigned d, int hour = 0) {
  using namespace std::chrono;
  return LocalTime{local_days{year{y} / month{m} / day{d}}.time_since_epoch()} + hours{hour};
}

// Every period file under the archive (relative, "/"-separated), manifests and the
// program's own folder left out.
inline std::set<std::string> ArchivedFiles(const fs::path& root) {
  std::set<std::string> files;
  if (!fs::exists(root)) return files;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    if (it->path().filename() == kControlFolder) {
      it.disable_recursion_pending();
      continue;
    }
    if (it->is_regular_file() && it->path().filename() != kManifestName)
      files.insert(it->path().lexically_relative(root).generic_string());
  }
  return files;
}

// What is wrong with the archive: a file no manifest lists, a listed file that is missing
// or differs from its line, a leftover (hidden) file. Empty when it is exactly complete.
inline std::vector<std::string> ArchiveProblems(const fs::path& root) {
  std::vector<std::string> problems;
  std::set<std::string> listed;
  for (const auto& file : ArchivedFiles(root)) {
    const fs::path rel(file);
    std::vector<std::string> parts;
    for (const auto& c : rel) parts.push_back(c.string());
    const int depth = ManifestDepth(parts.front());
    if (depth == 0 || static_cast<int>(parts.size()) <= depth) {
      problems.push_back("outside any period folder: " + file);
      continue;
    }
    fs::path folder;
    for (int i = 0; i < depth; ++i) folder /= parts[static_cast<std::size_t>(i)];
    const std::string inFolder = rel.lexically_relative(folder).generic_string();
    const Manifest m = ReadManifest(root / folder);
    const ManifestEntry* e = m.FindFile(inFolder);
    if (inFolder.find("/.") != std::string::npos || inFolder.front() == '.')
      problems.push_back("left over: " + file);
    else if (e == nullptr)
      problems.push_back("not in the manifest: " + file);
    else if (const auto d = DigestOfFile(root / file); d.bytes != e->bytes || d.sha256 != e->sha256)
      problems.push_back("differs from its manifest line: " + file);
    listed.insert(file);
  }
  // Every line of every manifest names a file that is there.
  for (const auto& kind : {"daily", "monthly", "yearly"}) {
    if (!fs::exists(root / kind)) continue;
    for (auto it = fs::recursive_directory_iterator(root / kind); it != fs::recursive_directory_iterator(); ++it) {
      if (it->path().filename() != kManifestName) continue;
      const fs::path folder = it->path().parent_path();
      const Manifest manifest = ReadManifest(folder);
      for (const auto& e : manifest.Entries())
        if (!e.NoData() && !listed.contains((folder / e.file).lexically_relative(root).generic_string()))
          problems.push_back("listed but missing: " + (folder / e.file).string());
    }
  }
  return problems;
}

inline std::string Joined(const std::vector<std::string>& lines) {
  std::ostringstream out;
  for (const auto& l : lines) out << l << "\n";
  return out.str();
}

}  // namespace tb::archive::testing
