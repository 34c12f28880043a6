// Archive runs on a seeded share through the real form library: which periods a run
// writes, what a second run does, new versions, periods without rows, the cap, the lock,
// and failures that must leave the archive exactly as complete as before.
#include "client/archive/archive_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "client/archive/archive_lock.h"
#include "client/archive/archive_test_share.h"

namespace tb::archive {
namespace {

using namespace std::chrono;
namespace fs = std::filesystem;
using testing::ArchivedFiles;
using testing::ArchiveProblems;
using testing::At;
using testing::Joined;
using ::testing::HasSubstr;

class ArchiveRunTest : public ::testing::Test {
 protected:
  int Run(RunOptions o) {
    out.str({});
    err.str({});
    return RunArchive(o, out, err);
  }
  RunOptions From(year_month_day from, LocalTime now) const { return share.Options(TB_FMDRAW, from, now); }
  [[nodiscard]] std::vector<std::string> Problems() const { return ArchiveProblems(share.Archive()); }
  [[nodiscard]] Manifest ManifestOf(const std::string& folder) const {
    return ReadManifest(share.Archive() / folder);
  }

  testing::ArchiveShare share;
  std::ostringstream out, err;
};

TEST_F(ArchiveRunTest, FirstRunWritesEveryClosedPeriodAndTheSecondWritesNothing) {
  ASSERT_EQ(Run(From(year{2026} / 2 / 26, At(2026, 3, 10, 12))), kExitDone) << err.str();
  const auto files = ArchivedFiles(share.Archive());
  // Days 2/26 to 3/9 (3/9 ended at 3/10 07:00, plus an hour's grace), February's month;
  // 3/10 is still running, March and the fiscal year 2025 are open.
  EXPECT_THAT(out.str(), HasSubstr("13 periods due"));
  EXPECT_THAT(out.str(), HasSubstr("period 13 of 13: daily 2026/3/9: daily/2026/03/2026-03-09.pdf and 2 CSV files"));
  EXPECT_TRUE(files.contains("daily/2026/02/2026-02-26.pdf"));
  EXPECT_TRUE(files.contains("daily/2026/03/2026-03-09.pdf"));
  EXPECT_TRUE(files.contains("daily/2026/03/2026-03-09/26030901.csv"));
  EXPECT_TRUE(files.contains("monthly/2026/2026-02.pdf"));
  EXPECT_TRUE(files.contains("monthly/2026/2026-02/260201.csv"));
  EXPECT_FALSE(files.contains("daily/2026/03/2026-03-10.pdf"));
  EXPECT_FALSE(files.contains("monthly/2026/2026-03.pdf"));
  EXPECT_FALSE(files.contains("yearly/2025.pdf"));
  EXPECT_EQ(files.size(), 12u * 3 + 4);  // a PDF and 2 page CSVs a day; 3 pages in February's
  EXPECT_TRUE(Problems().empty()) << Joined(Problems());
  // The month came after its last day.
  EXPECT_LT(out.str().find("daily 2026/2/28"), out.str().find("monthly 2026/2"));
  EXPECT_LT(out.str().find("monthly 2026/2"), out.str().find("daily 2026/3/1"));

  const auto manifest = share.Archive() / "daily/2026/03" / kManifestName;
  const auto before = fs::last_write_time(manifest);
  ASSERT_EQ(Run(From(year{2026} / 2 / 26, At(2026, 3, 10, 12))), kExitDone) << err.str();
  EXPECT_THAT(out.str(), HasSubstr("0 periods due"));
  EXPECT_EQ(ArchivedFiles(share.Archive()), files);
  EXPECT_EQ(fs::last_write_time(manifest), before);
}

TEST_F(ArchiveRunTest, ADayIsDueOnceItsLastHourAndTheGraceHavePassed) {
  auto o = From(year{2026} / 3 / 9, At(2026, 3, 10, 7) + minutes{59});
  o.plan.kinds = {Kind::kDaily};
  ASSERT_EQ(Run(o), kExitDone) << err.str();
  EXPECT_THAT(out.str(), HasSubstr("0 periods due"));
  o.plan.now = At(2026, 3, 10, 8);
  ASSERT_EQ(Run(o), kExitDone) << err.str();
  EXPECT_THAT(out.str(), HasSubstr("1 period due"));
  o.plan.grace[0] = minutes{0};
  o.plan.now = At(2026, 3, 11, 7);  // 3/10's row 07:00 of 3/11, no grace
  ASSERT_EQ(Run(o), kExitDone) << err.str();
  EXPECT_THAT(out.str(), HasSubstr("daily 2026/3/10"));
}

TEST_F(ArchiveRunTest, AChangedValueGetsASecondVersionBesideTheFirst) {
  auto o = From(year{2026} / 3 / 8, At(2026, 3, 10, 12));
  o.plan.kinds = {Kind::kDaily};
  ASSERT_EQ(Run(o), kExitDone) << err.str();
  const auto v1 = DigestOfFile(share.Archive() / "daily/2026/03/2026-03-08.pdf");
  share.ChangeData("UPDATE D_DDAT SET DATA_5 = '4321.5' WHERE DATE = '2026/3/8' AND TAG_ID = "
                   "(SELECT MIN(TAG_ID) FROM D_DDAT WHERE DATE = '2026/3/8')");

  ASSERT_EQ(Run(o), kExitDone) << err.str();
  EXPECT_THAT(out.str(), HasSubstr("1 period due"));
  EXPECT_THAT(out.str(), HasSubstr("daily/2026/03/2026-03-08.v2.pdf and 2 CSV files (the data changed since version 1)"));
  const auto files = ArchivedFiles(share.Archive());
  EXPECT_TRUE(files.contains("daily/2026/03/2026-03-08.v2/26030801.csv"));
  EXPECT_EQ(DigestOfFile(share.Archive() / "daily/2026/03/2026-03-08.pdf").sha256, v1.sha256);
  const auto state = ManifestOf("daily/2026/03").StateOf("2026/3/8");
  ASSERT_TRUE(state);
  EXPECT_EQ(state->version, 2);
  EXPECT_TRUE(Problems().empty()) << Joined(Problems());
  // Unchanged days stay as they are.
  EXPECT_FALSE(files.contains("daily/2026/03/2026-03-09.v2.pdf"));
}

TEST_F(ArchiveRunTest, APeriodWithoutRowsIsRecordedWithoutAFileUntilItsRowsArrive) {
  share.ChangeData("CREATE TABLE kept AS SELECT * FROM D_DDAT WHERE DATE = '2026/3/8';"
                   "DELETE FROM D_DDAT WHERE DATE = '2026/3/8'");
  auto o = From(year{2026} / 3 / 7, At(2026, 3, 10, 12));
  o.plan.kinds = {Kind::kDaily};
  ASSERT_EQ(Run(o), kExitDone) << err.str();
  EXPECT_THAT(out.str(), HasSubstr("period 2 of 3: daily 2026/3/8: no data (recorded)"));
  EXPECT_FALSE(ArchivedFiles(share.Archive()).contains("daily/2026/03/2026-03-08.pdf"));
  const auto state = ManifestOf("daily/2026/03").StateOf("2026/3/8");
  ASSERT_TRUE(state);
  EXPECT_TRUE(state->noData);

  ASSERT_EQ(Run(o), kExitDone);
  EXPECT_THAT(out.str(), HasSubstr("0 periods due"));
  share.ChangeData("INSERT INTO D_DDAT SELECT * FROM kept");
  ASSERT_EQ(Run(o), kExitDone) << err.str();
  EXPECT_THAT(out.str(), HasSubstr("daily 2026/3/8: daily/2026/03/2026-03-08.pdf"));
  EXPECT_TRUE(Problems().empty()) << Joined(Problems());
}

TEST_F(ArchiveRunTest, TheCapEndsARunThatTheNextOneContinuesFromTheOldestPeriodWithData) {
  auto o = From(year{2026} / 1 / 1, At(2026, 3, 10, 12));
  o.plan.from.reset();  // the oldest period with rows: the seeded year starts on 2025/3/11
  o.maxPeriods = 2;
  ASSERT_EQ(Run(o), kExitMoreDue) << err.str();
  EXPECT_THAT(out.str(), HasSubstr(", 2 in this run (--max 2)"));
  EXPECT_THAT(out.str(), HasSubstr("period 1 of 2: daily 2025/3/11"));
  EXPECT_THAT(out.str(), HasSubstr("period 2 of 2: daily 2025/3/12"));
  EXPECT_THAT(out.str(), HasSubstr("more due; the next run goes on"));
  ASSERT_EQ(Run(o), kExitMoreDue) << err.str();
  EXPECT_THAT(out.str(), HasSubstr("period 1 of 2: daily 2025/3/13"));
  o.maxPeriods = 0;  // counts what is due, writes nothing
  ASSERT_EQ(Run(o), kExitMoreDue);
  EXPECT_EQ(ArchivedFiles(share.Archive()).size(), 4u * 3);
}

TEST_F(ArchiveRunTest, ASecondRunAtTheSameTimeIsRefusedAndWritesNothing) {
  fs::create_directories(share.Archive());
  ArchiveLock held(share.Archive());
  EXPECT_EQ(Run(From(year{2026} / 3 / 8, At(2026, 3, 10, 12))), kExitFailed);
  EXPECT_THAT(err.str(), HasSubstr("another archive run (process "));
  EXPECT_TRUE(ArchivedFiles(share.Archive()).empty());
}

TEST_F(ArchiveRunTest, AMissingFormFailsTheRunLeavesNothingAndTheNextRunRecovers) {
  const auto form = share.Share() / "TB_Format" / "DFmt_A3.fed";
  fs::rename(form, form.string() + ".away");
  auto o = From(year{2026} / 3 / 8, At(2026, 3, 10, 12));
  EXPECT_EQ(Run(o), kExitFailed);
  EXPECT_THAT(err.str(), HasSubstr("daily 2026/3/8: printing showed \"フォーマットファイルが見つかりません。\""));
  EXPECT_THAT(err.str(), HasSubstr("DFmt_A3.fed"));
  EXPECT_THAT(out.str(), HasSubstr("period 1 of 2: daily 2026/3/8: failed"));
  EXPECT_TRUE(ArchivedFiles(share.Archive()).empty()) << Joined(Problems());

  fs::rename(form.string() + ".away", form);
  // B4 has forms, but only the page print knows that size: the range print and the
  // archive have none.
  const auto ini = share.Share() / "Vurodor.ini";
  const std::string settings = ::tb::testing::ReadBytes(ini);
  std::string b4 = settings;
  b4.replace(b4.find("Size=A3"), 7, "Size=B4");
  ::tb::testing::WriteBytes(ini, b4);
  EXPECT_EQ(Run(o), kExitFailed);
  EXPECT_THAT(err.str(), HasSubstr("the range print has no form for the paper size \"B4\""));
  EXPECT_TRUE(ArchivedFiles(share.Archive()).empty()) << Joined(Problems());

  ::tb::testing::WriteBytes(ini, settings);
  ASSERT_EQ(Run(o), kExitDone) << err.str();
  EXPECT_THAT(out.str(), HasSubstr("2 periods due"));
  EXPECT_TRUE(Problems().empty()) << Joined(Problems());
}

TEST_F(ArchiveRunTest, DatabasesThatCannotBeOpenedFailTheRunClearly) {
  const auto data = share.DataDb();
  const auto saved = data.string() + ".saved";
  fs::rename(data, saved);
  ::tb::testing::WriteBytes(data, "this is no database");
  EXPECT_EQ(Run(From(year{2026} / 3 / 8, At(2026, 3, 10, 12))), kExitFailed);
  EXPECT_THAT(err.str(), HasSubstr("the data database cannot be opened"));
  fs::rename(saved, data);

  fs::remove(share.Share() / "Vurodor.ini");
  EXPECT_EQ(Run(From(year{2026} / 3 / 8, At(2026, 3, 10, 12))), kExitFailed);
  EXPECT_THAT(err.str(), HasSubstr("the report settings cannot be read"));
  EXPECT_THAT(err.str(), HasSubstr("サーバーを認識できません。"));
  EXPECT_TRUE(ArchivedFiles(share.Archive()).empty());
}

TEST_F(ArchiveRunTest, LeftoversOfAStoppedRunAreRemovedAndItsPlacedFilesReplaced) {
  auto o = From(year{2026} / 3 / 8, At(2026, 3, 10, 12));
  o.plan.kinds = {Kind::kDaily};
  // What a run killed between placing its files and writing the manifest leaves.
  const auto folder = share.Archive() / "daily/2026/03";
  ::tb::testing::WriteBytes(folder / ".tbarchive-staging/print/.fmdraw-abc", "half a PDF");
  ::tb::testing::WriteBytes(folder / ".manifest.tsv.tmp-Q1w2E3", "half a manifest");
  ::tb::testing::WriteBytes(folder / "2026-03-08.pdf", "an older attempt");
  ::tb::testing::WriteBytes(folder / "2026-03-08/26030899.csv", "a page no longer printed");
  ASSERT_EQ(Run(o), kExitDone) << err.str();
  EXPECT_TRUE(Problems().empty()) << Joined(Problems());
}

TEST_F(ArchiveRunTest, AManifestThatDoesNotReadStopsTheRunBeforeAnythingIsWritten) {
  ::tb::testing::WriteBytes(share.Archive() / "daily/2026/03" / kManifestName, "2026/3/8\t1\tpdf\n");
  EXPECT_EQ(Run(From(year{2026} / 3 / 8, At(2026, 3, 10, 12))), kExitFailed);
  EXPECT_THAT(err.str(), HasSubstr("manifest.tsv line 1 does not read as a manifest line"));
  EXPECT_EQ(ArchivedFiles(share.Archive()).size(), 0u);
}

}  // namespace
}  // namespace tb::archive
