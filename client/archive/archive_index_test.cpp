// The archive page's view of the archive: what it lists, and that only listed files under
// the archive folder can be opened, whatever the path or the links below the root.
#include "client/archive/archive_index.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "client/archive/manifest.h"
#include "client/archive/sha256.h"
#include "client/core/test_files.h"

namespace tb::archive {
namespace {

namespace fs = std::filesystem;
using ::tb::testing::WriteBytes;

class ArchiveIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string fp(64, 'f');
    Manifest m;
    auto add = [&](const std::string& period, int v, const std::string& file, const std::string& bytes) {
      WriteBytes(Root() / "daily/2026/12" / file, bytes);
      m.Add({{period, v, file.substr(file.rfind('.') + 1), file, bytes.size(), Sha256Hex(bytes), fp, "t" + std::to_string(v)}});
    };
    add("2026/12/8", 1, "2026-12-08.pdf", "%PDF v1");
    add("2026/12/8", 1, "2026-12-08/26120802.csv", "page 2");
    add("2026/12/8", 1, "2026-12-08/26120801.csv", "page 1");
    m.Add({{"2026/12/9", 0, "nodata", "-", 0, "-", fp, "t"}});
    add("2026/12/8", 2, "2026-12-08.v2.pdf", "%PDF v2");
    WriteBytes(Root() / "daily/2026/12/manifest.tsv", m.Text());
    WriteBytes(Root() / "daily/2026/12/2026-12-10.pdf", "left by a stopped run");
    WriteBytes(Root() / ".tbarchive/lock", "123");
    fs::create_directories(Root() / "daily/2025/01");
    fs::create_directories(Root() / "daily/notayear");
  }
  fs::path Root() const { return dir.path() / "archive"; }
  std::string Read(std::string_view rel) const {
    auto f = OpenArchivedFile(Root(), rel);
    if (!f) return "(refused)";
    std::string text(f->bytes, '\0');
    text.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::pread(f->fd, text.data(), text.size(), 0))));
    ::close(f->fd);
    return text;
  }
  ::tb::testing::TempDir dir;
};

TEST_F(ArchiveIndexTest, ListsYearsMonthsPeriodsAndVersionsFromTheManifests) {
  EXPECT_EQ(ArchivedYears(Root(), Kind::kDaily), (std::vector<std::string>{"2025", "2026"}));
  EXPECT_TRUE(ArchivedYears(Root(), Kind::kMonthly).empty());
  EXPECT_EQ(ArchivedMonths(Root(), "2026"), std::vector<std::string>{"12"});
  const auto periods = ArchivedPeriods(Root(), "daily/2026/12");
  ASSERT_TRUE(periods);
  ASSERT_EQ(periods->size(), 2u);
  const auto& day = (*periods)[0];
  EXPECT_EQ(day.key, "2026/12/8");
  ASSERT_EQ(day.versions.size(), 2u);
  EXPECT_EQ(day.versions[0].version, 2);
  EXPECT_EQ(day.versions[0].pdf->path, "daily/2026/12/2026-12-08.v2.pdf");
  EXPECT_TRUE(day.versions[0].pages.empty());
  ASSERT_EQ(day.versions[1].pages.size(), 2u);
  EXPECT_EQ(day.versions[1].pages[0].name, "26120801.csv");
  EXPECT_EQ(day.versions[1].pages[0].path, "daily/2026/12/2026-12-08/26120801.csv");
  EXPECT_TRUE((*periods)[1].noData);
  EXPECT_FALSE(ArchivedPeriods(Root(), "daily/2026"));        // not a manifest folder
  EXPECT_FALSE(ArchivedPeriods(Root(), "daily/2025/01"));     // no manifest
  EXPECT_FALSE(ArchivedPeriods(Root(), "daily/../daily/2026/12"));
}

TEST_F(ArchiveIndexTest, OpensOnlyTheFilesAManifestLists) {
  EXPECT_EQ(Read("daily/2026/12/2026-12-08.pdf"), "%PDF v1");
  EXPECT_EQ(Read("daily/2026/12/2026-12-08/26120801.csv"), "page 1");
  EXPECT_NE(Read("daily/2026/12/manifest.tsv").find("2026-12-08.v2.pdf"), std::string::npos);
  for (const char* refused : {"daily/2026/12/2026-12-10.pdf",       // not recorded
                              "daily/2026/12/2026-12-11.pdf",       // not there
                              ".tbarchive/lock", "daily/2026/12/../../../.tbarchive/lock",
                              "../archive/daily/2026/12/2026-12-08.pdf", "/etc/passwd", "daily/2026/12/",
                              "daily/2026/12//2026-12-08.pdf", "daily/2026/12/2026-12-08", "daily/2026/12/-",
                              "daily/2026/manifest.tsv", "", "daily/2026/12/2026-12-08.pdf\n"})
    EXPECT_EQ(Read(refused), "(refused)") << refused;
}

TEST_F(ArchiveIndexTest, SymbolicLinksBelowTheRootAreNeverFollowed) {
  WriteBytes(dir.path() / "secret.txt", "outside the archive");
  // A listed file swapped for a link to a file outside.
  fs::remove(Root() / "daily/2026/12/2026-12-08/26120802.csv");
  fs::create_symlink(dir.path() / "secret.txt", Root() / "daily/2026/12/2026-12-08/26120802.csv");
  EXPECT_EQ(Read("daily/2026/12/2026-12-08/26120802.csv"), "(refused)");
  // A month folder that is a link to a copy elsewhere, manifest and all.
  fs::copy(Root() / "daily/2026/12", dir.path() / "elsewhere", fs::copy_options::recursive);
  fs::create_symlink(dir.path() / "elsewhere", Root() / "daily/2026/11");
  EXPECT_EQ(Read("daily/2026/11/2026-12-08.pdf"), "(refused)");
  EXPECT_FALSE(ArchivedPeriods(Root(), "daily/2026/11"));
  EXPECT_EQ(ArchivedMonths(Root(), "2026"), std::vector<std::string>{"12"});
  // The archive root itself may be a link (it is the configured folder).
  fs::create_symlink(Root(), dir.path() / "root-link");
  auto f = OpenArchivedFile(dir.path() / "root-link", "daily/2026/12/2026-12-08.pdf");
  ASSERT_TRUE(f);
  ::close(f->fd);
}

}  // namespace
}  // namespace tb::archive
