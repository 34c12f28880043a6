// Manifest lines: written and read back, what the newest line of a period says, and lines
// that must stop a run rather than be guessed at.
#include "client/archive/manifest.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client/archive/archive_error.h"

namespace tb::archive {
namespace {

const std::string kA(64, 'a'), kB(64, 'b'), kC(64, 'c');

Manifest Sample() {
  Manifest m;
  m.Add({{"2026/12/8", 1, "pdf", "2026-12-08.pdf", 5000, kA, kB, "2026-12-09 09:00:00"},
         {"2026/12/8", 1, "csv", "2026-12-08/26120801.csv", 300, kC, kB, "2026-12-09 09:00:00"},
         {"2026/12/9", 0, "nodata", "-", 0, "-", kC, "2026-12-10 09:00:00"},
         {"2026/12/8", 2, "pdf", "2026-12-08.v2.pdf", 5001, kC, kA, "2026-12-11 09:00:00"}});
  return m;
}

TEST(Manifest, ReadsBackWhatItWrites) {
  const Manifest m = Sample();
  const Manifest again = Manifest::Parse(m.Text(), "m");
  EXPECT_EQ(again.Text(), m.Text());
  ASSERT_EQ(again.Entries().size(), 4u);
  EXPECT_EQ(again.Entries()[1].file, "2026-12-08/26120801.csv");
  EXPECT_EQ(again.Periods(), (std::vector<std::string>{"2026/12/8", "2026/12/9"}));
  EXPECT_THAT(m.Text(), ::testing::StartsWith("# tbarchive manifest 1\n"));
}

TEST(Manifest, TheNewestLineOfAPeriodGivesItsState) {
  const Manifest m = Sample();
  const auto v2 = m.StateOf("2026/12/8");
  ASSERT_TRUE(v2);
  EXPECT_EQ(v2->version, 2);
  EXPECT_FALSE(v2->noData);
  EXPECT_EQ(v2->data, kA);
  const auto empty = m.StateOf("2026/12/9");
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->noData);
  EXPECT_EQ(empty->version, 0);
  EXPECT_FALSE(m.StateOf("2026/12/10"));
  EXPECT_NE(m.FindFile("2026-12-08.pdf"), nullptr);
  EXPECT_EQ(m.FindFile("-"), nullptr);  // a no-data line names no file
}

TEST(Manifest, LinesThatDoNotReadAreRefusedWithTheirLineNumber) {
  const std::string good = Sample().Text();
  const std::string tail = "\t5000\t" + kA + "\t" + kB + "\tt\n";
  for (const std::string& bad : std::vector<std::string>{
           "2026/12/8\t1\tpdf\t2026-12-08.pdf\n",                        // fields missing
           "2026/12/8\tone\tpdf\t2026-12-08.pdf" + tail,                 // version not a number
           "2026/12/8\t0\tpdf\t2026-12-08.pdf" + tail,                   // files start at version 1
           "2026/12/8\t1\tpdf\t../../etc/passwd" + tail,                 // outside the folder
           "2026/12/8\t1\tpdf\t/etc/passwd" + tail,
           "2026/12/8\t1\tpdf\t.tbarchive-staging/x.pdf" + tail,
           "2026/12/8\t1\tpdf\t2026-12-08.pdf\t5000\tXYZ\t" + kB + "\tt\n",  // not a digest
           "2026/12/9\t0\tnodata\tfile.pdf\t0\t-\t" + kB + "\tt\n",      // no data, yet a file
       }) {
    try {
      (void)Manifest::Parse(good + bad, "daily/2026/12/manifest.tsv");
      ADD_FAILURE() << bad;
    } catch (const ArchiveError& e) {
      EXPECT_STREQ(e.what(), "daily/2026/12/manifest.tsv line 7 does not read as a manifest line") << bad;
    }
  }
}

}  // namespace
}  // namespace tb::archive
