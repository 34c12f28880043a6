// Durable writes: a file replaced atomically leaves no temporary file, a write that fails
// says which path and why and leaves nothing, and a folder tree is made as a whole.
#include "client/archive/durable_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client/archive/archive_error.h"
#include "client/core/test_files.h"

namespace tb::archive {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

std::vector<std::string> Names(const fs::path& dir) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(DurableFiles, AnAtomicWriteReplacesTheFileAndLeavesNothingElse) {
  ::tb::testing::TempDir dir;
  WriteFileAtomically(dir.path() / "manifest.tsv", "old");
  WriteFileAtomically(dir.path() / "manifest.tsv", "new text");
  EXPECT_EQ(::tb::testing::ReadBytes(dir.path() / "manifest.tsv"), "new text");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"manifest.tsv"});
  EXPECT_EQ(fs::status(dir.path() / "manifest.tsv").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
}

TEST(DurableFiles, FailuresNameThePathAndTheReasonAndLeaveNoFile) {
  ::tb::testing::TempDir dir;
  ::tb::testing::WriteBytes(dir.path() / "plain", "a file, not a folder");
  try {
    WriteFileAtomically(dir.path() / "plain" / "x.tsv", "text");
    FAIL();
  } catch (const ArchiveError& e) {
    EXPECT_THAT(e.what(), HasSubstr("cannot write " + (dir.path() / "plain" / "x.tsv").string() + ": Not a directory"));
  }
  EXPECT_THROW(MakeFolders(dir.path() / "plain" / "a" / "b"), ArchiveError);
  EXPECT_THROW(WriteFileDurably(dir.path() / "missing" / "x.csv", "text"), ArchiveError);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"plain"});
}

TEST(DurableFiles, FoldersAreMadeWithTheirParentsAndRenamedAsAWhole) {
  ::tb::testing::TempDir dir;
  MakeFolders(dir.path() / "daily" / "2026" / "12");
  MakeFolders(dir.path() / "daily" / "2026" / "12");  // already there
  WriteFileDurably(dir.path() / "daily" / "2026" / "12" / "a.csv", "x");
  Rename(dir.path() / "daily" / "2026" / "12", dir.path() / "daily" / "2026" / "11");
  EXPECT_EQ(::tb::testing::ReadBytes(dir.path() / "daily" / "2026" / "11" / "a.csv"), "x");
  RemoveTree(dir.path() / "daily");
  RemoveTree(dir.path() / "daily");  // already gone
  EXPECT_TRUE(Names(dir.path()).empty());
}

}  // namespace
}  // namespace tb::archive
