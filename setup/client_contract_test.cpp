// The settings program and the report client share only TBWeb.ini: what the program
// saves must be what the client reads. The client finds the file as "TBWeb.ini" in its
// folder without regard to case and reads [SQL] SOURCE, UID, PWD, DATABASE, [DB] FLG and
// [KIND] FLG with 128-byte profile reads; this test reads them the same way.
#include <gtest/gtest.h>

#include "platform/profile.h"
#include "platform/share_path.h"
#include "setup/settings_model.h"
#include "setup/test_files.h"

namespace setup {
namespace {

std::string ClientRead(const std::filesystem::path& clientDir, const char* section,
                       const char* key) {
  const auto file = platform::FindEntryIgnoringCase(clientDir, "TBWeb.ini");
  if (!file) return "<no file>";
  return platform::ReadProfileStringUtf8(*file, section, key, "",
                                         platform::kProfileBufferSize);
}

TEST(ClientContract, ClientReadsWhatTheProgramSaved) {
  testing::TempDir dir;
  SettingsValues v;
  v.dsn = "VurodorDSN";
  v.sqlServer = true;
  v.source = "PLANT-SQL\\INST";
  v.uid = "報告";
  v.pwd = "a;b=c";  // a password with the connection string's separators
  v.database = "RIVove";
  v.vbdKind = true;
  ASSERT_TRUE(SettingsStore(dir.path()).Save(v));

  EXPECT_EQ(ClientRead(dir.path(), "SQL", "SOURCE"), "PLANT-SQL\\INST");
  EXPECT_EQ(ClientRead(dir.path(), "SQL", "UID"), "報告");
  EXPECT_EQ(ClientRead(dir.path(), "SQL", "PWD"), "a;b=c");
  EXPECT_EQ(ClientRead(dir.path(), "SQL", "DATABASE"), "RIVove");
  EXPECT_EQ(ClientRead(dir.path(), "DB", "FLG"), "1");
  EXPECT_EQ(ClientRead(dir.path(), "KIND", "FLG"), "1");

  v.sqlServer = false;
  v.vbdKind = false;
  ASSERT_TRUE(SettingsStore(dir.path()).Save(v));
  EXPECT_EQ(ClientRead(dir.path(), "DB", "FLG"), "0");
  EXPECT_EQ(ClientRead(dir.path(), "KIND", "FLG"), "0");
}

}  // namespace
}  // namespace setup
