#include "setup/settings_model.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "setup/test_files.h"

namespace setup {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// [DB] FLG and [KIND] FLG are "on" only when exactly "1".
TEST(SettingsStoreLoad, FlagsAreOnOnlyForExactlyOne) {
  struct Row {
    int index;
    const char* fileText;
    bool sqlServer;
    bool vbd;
  };
  const Row rows[] = {
      {0, "[DB]\r\nFLG=1\r\n[KIND]\r\nFLG=1\r\n", true, true},
      {1, "[DB]\r\nFLG=0\r\n[KIND]\r\nFLG=0\r\n", false, false},
      {2, "[DB]\r\nFLG=\r\n[KIND]\r\nFLG=\r\n", false, false},
      {3, "[DB]\r\nFLG=01\r\n[KIND]\r\nFLG=yes\r\n", false, false},
      {4, "[DB]\r\nFLG=2\r\n", false, false},      // no [KIND] at all: bin
      {5, "[db]\r\nflg = 1 \r\n", true, false},    // names without case, value trimmed
      {6, "", false, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.index);
    TempDir dir;
    WriteBytes(dir.path() / "TBWeb.ini", r.fileText);
    const SettingsValues v = SettingsStore(dir.path()).Load();
    EXPECT_EQ(v.sqlServer, r.sqlServer);
    EXPECT_EQ(v.vbdKind, r.vbd);
  }
}

TEST(SettingsStoreLoad, ReadsTextsAndConvertsFromCp932) {
  TempDir dir;
  // "あ" is 82 A0 in CP932.
  WriteBytes(dir.path() / "tbweb.INI",
             "[Vurodor]\r\ndsn=Vurodor\x82\xA0\r\n[SQL]\r\nSOURCE=PLANT01\r\nUID=sa\r\n"
             "PWD=p;w=d \r\nDATABASE=RIVove\r\n");
  const SettingsValues v = SettingsStore(dir.path()).Load();
  EXPECT_EQ(v.dsn, "Vurodorあ");
  EXPECT_EQ(v.source, "PLANT01");
  EXPECT_EQ(v.uid, "sa");
  EXPECT_EQ(v.pwd, "p;w=d");
  EXPECT_EQ(v.database, "RIVove");
}

TEST(SettingsStoreLoad, MissingFileGivesEmptyValues) {
  TempDir dir;
  EXPECT_EQ(SettingsStore(dir.path()).Load(), SettingsValues{});
}

TEST(SettingsStoreFile, FindsAnyCaseAndCreatesUpperCaseName) {
  TempDir dir;
  const SettingsStore store(dir.path());
  EXPECT_EQ(store.File(), dir.path() / "TBWEB.ini");
  WriteBytes(dir.path() / "TBWeb.ini", "");
  EXPECT_EQ(store.File(), dir.path() / "TBWeb.ini");
}

SettingsValues SampleValues() {
  SettingsValues v;
  v.dsn = "Vurodorあ";
  v.sqlServer = true;
  v.source = "PLANT01";
  v.uid = "sa";
  v.pwd = "secret;1";
  v.database = "RIVove";
  v.vbdKind = false;
  return v;
}

// The window tests cover mode and values; this one checks the order and the bytes.
TEST(SettingsStoreSave, WritesTheKeysInOrderAsCp932) {
  TempDir dir;
  const SettingsStore store(dir.path());
  ASSERT_TRUE(store.Save(SampleValues()));
  const auto file = dir.path() / "TBWEB.ini";
  const std::string bytes = ReadBytes(file);
  // Sections appear in the order of the writes.
  const auto at = [&](const char* s) { return bytes.find(s); };
  EXPECT_LT(at("[Vurodor]"), at("[DB]"));
  EXPECT_LT(at("[DB]"), at("[SQL]"));
  EXPECT_LT(at("SOURCE="), at("UID="));
  EXPECT_LT(at("UID="), at("PWD="));
  EXPECT_LT(at("PWD="), at("DATABASE="));
  EXPECT_LT(at("[SQL]"), at("[KIND]"));
  EXPECT_NE(bytes.find("dsn=Vurodor\x82\xA0"), std::string::npos) << "CP932 on disk";
  EXPECT_EQ(store.Load(), SampleValues());
}

// A value with a line break must not add keys or sections to the file.
TEST(SettingsStoreSave, LineBreaksInAValueCannotInjectKeys) {
  TempDir dir;
  SettingsValues v = SampleValues();
  v.sqlServer = false;
  v.pwd = "x\r\n[DB]\nFLG=1";
  const SettingsStore store(dir.path());
  ASSERT_TRUE(store.Save(v));
  const SettingsValues back = store.Load();
  EXPECT_FALSE(back.sqlServer);
  EXPECT_EQ(back.pwd, "x  [DB] FLG=1");
}

TEST(SettingsStoreSave, UnwritableFolderReportsFailure) {
  TempDir dir;
  EXPECT_FALSE(SettingsStore(dir.path() / "missing").Save(SampleValues()));
}

// One value that does not reach the disk (here too long for a file-size limit) fails the
// save, although the values after it are written: the user is never told it worked.
TEST(SettingsStoreSave, OneFailedValueFailsTheWholeSave) {
  TempDir dir;
  SettingsValues v = SampleValues();
  v.dsn = std::string(8000, 'D');
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the process
    rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const SettingsStore store(dir.path());
    const bool saved = store.Save(v);
    const bool laterValuesWritten = store.Load().database == "RIVove";
    ::_exit(saved ? 1 : laterValuesWritten ? 0 : 2);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: reported as saved; 2: later values not written";
}

}  // namespace
}  // namespace setup
