#include "platform/share_path.h"

#include <fstream>

#include <gtest/gtest.h>

namespace platform {
namespace {
namespace fs = std::filesystem;

class SharePathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "share_path_test.XXXXXX").string();
    top_ = ::mkdtemp(tmpl.data());
    root_ = top_ / "share";
    fs::create_directories(root_ / "TB_DataBase");
    fs::create_directories(root_ / "TB_Format");
    std::ofstream(root_ / "TB_DataBase" / "Vurodor.mdb") << "x";
    std::ofstream(top_ / "secret.txt") << "x";
  }
  void TearDown() override { fs::remove_all(top_); }

  fs::path top_;
  fs::path root_;
};

TEST_F(SharePathTest, MapsAnyHostAndMatchesCase) {
  const fs::path mdb = root_ / "TB_DataBase" / "Vurodor.mdb";
  EXPECT_EQ(ResolveSharePath("\\\\HOST\\vurodor\\TB_DataBase\\Vurodor.mdb", root_), mdb);
  EXPECT_EQ(ResolveSharePath("\\\\host:8080\\VURODOR\\tb_database\\VURODOR.MDB", root_), mdb);
  EXPECT_EQ(ResolveSharePath("//h/vurodor/tb_database/vurodor.mdb", root_), mdb);
  EXPECT_EQ(ResolveSharePath("\\\\h\\vurodor", root_), root_);
  // The first missing component and the rest are kept as written.
  EXPECT_EQ(ResolveSharePath("\\\\h\\vurodor\\tb_format\\New\\DFmt_A3.fed", root_),
            root_ / "TB_Format" / "New" / "DFmt_A3.fed");
}

TEST_F(SharePathTest, RefusesOtherSharesAndEscapes) {
  const char* refused[] = {
      "C:\\vurodor\\x",       "\\\\h\\other\\x",         "\\\\\\vurodor\\x",
      "\\\\h\\vurodor\\",     "\\\\h\\vurodor\\\\x",     "\\\\h\\vurodor\\..\\secret.txt",
      "\\\\h\\vurodor\\TB_Format\\.\\x", "\\\\h\\vurodor\\a\\..\\..\\secret.txt",
      "\\\\h\\vurodorx\\x",   "\\\\h",
  };
  for (const char* p : refused) EXPECT_EQ(ResolveSharePath(p, root_), std::nullopt) << p;
}

TEST_F(SharePathTest, RefusesSymlinksLeadingOutOfTheRoot) {
  fs::create_directory_symlink(top_, root_ / "up");
  fs::create_directory_symlink(root_ / "TB_DataBase", root_ / "db");
  EXPECT_EQ(ResolveSharePath("\\\\h\\vurodor\\up\\secret.txt", root_), std::nullopt);
  EXPECT_EQ(ResolveUnder(root_, "UP\\new.txt"), std::nullopt);
  EXPECT_EQ(ResolveUnder(root_, "db\\vurodor.mdb"), root_ / "db" / "Vurodor.mdb");
  // A path whose real place cannot be worked out is refused, not trusted.
  fs::create_symlink("loop", root_ / "loop");
  EXPECT_EQ(ResolveUnder(root_, "loop\\x.ini"), std::nullopt);
}

TEST_F(SharePathTest, ResolveUnderAcceptsOneLeadingSeparator) {
  EXPECT_EQ(ResolveUnder(root_, "\\tb_format"), root_ / "TB_Format");
  EXPECT_EQ(ResolveUnder(root_, "WEBLOG/20261207.txt"), root_ / "WEBLOG" / "20261207.txt");
  EXPECT_EQ(ResolveUnder(root_, "a//b"), std::nullopt);
  EXPECT_EQ(ResolveUnder(root_, ".."), std::nullopt);
}

// Whatever spelling is asked for, the case variant that sorts first is the one found, so
// two programs asking for one name in different spellings share one file.
TEST_F(SharePathTest, OneCaseVariantWinsWhateverSpellingIsAsked) {
  std::ofstream(root_ / "TBWeb.ini") << "1";
  std::ofstream(root_ / "TBWEB.ini") << "2";
  std::ofstream(root_ / "tbweb.ini") << "3";
  for (const char* asked : {"TBWeb.ini", "TBWEB.ini", "tbweb.ini", "tbWEB.INI"})
    EXPECT_EQ(FindEntryIgnoringCase(root_, asked), root_ / "TBWEB.ini") << asked;
  EXPECT_EQ(ResolveUnder(root_, "\\TBWeb.ini"), root_ / "TBWEB.ini");
  EXPECT_EQ(FindEntryIgnoringCase(root_ / "missing", "x"), std::nullopt);
}

}  // namespace
}  // namespace platform
