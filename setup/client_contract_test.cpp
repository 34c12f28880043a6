// The settings program and the report client share only TBWeb.ini: what the program
// saves in a client folder must be what the client's ReadSettings reads from it.
#include <gtest/gtest.h>

#include "client/core/client_state.h"
#include "client/core/scripted_host.h"
#include "setup/settings_model.h"
#include "setup/test_files.h"

namespace setup {
namespace {

using testing::TempDir;
using testing::WriteBytes;

class ClientContract : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(client_.path());
    // A complete report settings file, so that ReadSettings reads to the end.
    WriteBytes(share_.path() / "Vurodor.ini",
               "[Title]\r\nName=T\r\n[Print]\r\nSize=A4\r\n[Nippou]\r\nHour=1\r\n"
               "[Geppou]\r\nDay=1\r\n[Nenpou]\r\nMonth=1\r\n[Mode]\r\nYear=1\r\n"
               "[Inkan]\r\nKosuu=4\r\nFlg=0\r\n[Tenki]\r\nFlg=0\r\n");
    state_.env.clientDir = client_.path();
    state_.env.shareRoot = share_.path();
    state_.gServerFolder = "\\\\HOST\\vurodor";
  }
  void ClientReads() {
    tb::ReadSettings(state_, host_);
    ASSERT_TRUE(host_.messages.empty()) << host_.messages.front().text;
  }

  TempDir client_, share_;
  tb::ClientState state_;
  tb::ScriptedHost host_;
};

TEST_F(ClientContract, SqlServerSettingsReachTheConnectionString) {
  SettingsValues v;
  v.sqlServer = true;
  v.source = "PLANT-SQL\\INST";
  v.uid = "報告";
  v.pwd = "a;b=c";  // the connection string's separators inside a value
  v.database = "RIVove";
  v.vbdKind = true;
  ASSERT_TRUE(SettingsStore(client_.path()).Save(v));
  ClientReads();
  EXPECT_EQ(state_.gSqlSource, "PLANT-SQL\\INST");
  EXPECT_EQ(state_.gSqlUid, "報告");
  EXPECT_EQ(state_.gSqlPwd, "a;b=c");
  EXPECT_EQ(state_.gSqlDatabase, "RIVove");
  EXPECT_EQ(state_.gKindFlg, "1");
  EXPECT_EQ(state_.gConnectString,
            "Provider=SQLOLEDB;Data Source=PLANT-SQL\\INST;Initial Catalog=RIVove;"
            "User ID=報告;Password=a;b=c;");
}

TEST_F(ClientContract, AccessFileSettingsSelectTheShareDatabase) {
  SettingsValues v;
  v.source = "PLANT-SQL";
  ASSERT_TRUE(SettingsStore(client_.path()).Save(v));
  ClientReads();
  EXPECT_EQ(state_.gKindFlg, "0");
  EXPECT_EQ(state_.gConnectString,
            "Provider=Microsoft.jet.OLEDB.4.0;Data Source=\\\\HOST\\vurodor"
            "\\TB_DataBase\\RIVove.mdb");
}

// A seeded "TBWeb.ini" beside a "TBWEB.ini" copied from an old installation: the program
// edits the very file the client reads, whichever spelling each of them asks for.
TEST_F(ClientContract, BothSpellingsPresentTheProgramEditsTheFileTheClientReads) {
  WriteBytes(client_.path() / "TBWeb.ini", "[DB]\r\nFLG=0\r\n[SQL]\r\nSOURCE=seeded\r\n");
  WriteBytes(client_.path() / "TBWEB.ini", "[DB]\r\nFLG=0\r\n[SQL]\r\nSOURCE=copied\r\n");
  const SettingsStore store(client_.path());
  SettingsValues v = store.Load();
  ClientReads();
  EXPECT_EQ(state_.gSqlSource, v.source);  // both read the same file before the save
  v.sqlServer = true;
  v.source = "saved";
  ASSERT_TRUE(store.Save(v));
  ClientReads();
  EXPECT_EQ(state_.gSqlSource, "saved");
  EXPECT_EQ(state_.gConnectString.rfind("Provider=SQLOLEDB;Data Source=saved;", 0), 0u);
}

}  // namespace
}  // namespace setup
