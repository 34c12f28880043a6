#include "client/core/database.h"

#include <gtest/gtest.h>

#include "client/core/jet_cache.h"
#include "client/core/test_files.h"

namespace tb::db {
namespace {

using tb::testing::MakeSqlite;
using tb::testing::ReadBytes;
using tb::testing::TempDir;
using tb::testing::WriteBytes;

constexpr char kKanri[] =
    "Provider=Microsoft.jet.OLEDB.4.0;Data Source=\\\\HOST:8080\\vurodor\\TB_DataBase\\Vurodor.mdb";

std::string JetHeader(const char* magic) {
  std::string bytes(4096, '\0');
  bytes[1] = 1;
  bytes.replace(4, 15, magic);
  return bytes;
}

class OpenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    context_.shareRoot = dir_.path() / "share";
    context_.jetCacheDir = dir_.path() / "cache";
    // Written in another letter case than the connection string: matched anyway.
    file_ = context_.shareRoot / "tb_database" / "VURODOR.MDB";
    std::filesystem::create_directories(file_.parent_path());
    MakeSqlite(file_,
               "CREATE TABLE 日報情報 (TAG_ID INTEGER, ページNO INTEGER, 項目NO INTEGER);"
               "INSERT INTO 日報情報 VALUES (7, 2, 1);");
  }
  TempDir dir_;
  ConnectionContext context_;
  std::filesystem::path file_;
};

TEST_F(OpenTest, JetProviderOnAnSqliteFileReadsItThroughTheShare) {
  const std::string before = ReadBytes(file_);
  for (const char* text : {kKanri,
                           "provider=MICROSOFT.JET.OLEDB.4.0; data source=\\\\h\\VURODOR\\TB_DataBase\\Vurodor.mdb"}) {
    SCOPED_TRACE(text);
    auto cn = Connection::Open(text, context_);
    EXPECT_EQ(cn->Execute("SELECT MAX(ページNO) AS MAXP FROM 日報情報").Field("MAXP"), "2");
    cn->Close();
  }
  EXPECT_EQ(ReadBytes(file_), before);
  EXPECT_FALSE(std::filesystem::exists(context_.jetCacheDir));
}

TEST_F(OpenTest, BadFilesAndPathsAreDbErrorsAndNothingIsCreated) {
  const std::string good = ReadBytes(file_);
  struct Row {
    const char* name;
    std::optional<std::string> bytes;  // nullopt: no file
    const char* message;               // what the error says, in part
  };
  // A copy cut short inside the 16-byte header (even one ending just before its NUL)
  // is no database file; past the header it is a damaged one.
  const Row rows[] = {
      {"Missing.mdb", std::nullopt, "database file not found"},
      {"Empty.mdb", std::string(), "not a database file"},
      {"Short.mdb", good.substr(0, 10), "not a database file"},
      {"Header.mdb", good.substr(0, 15), "not a database file"},
      {"Half.mdb", good.substr(0, good.size() / 2), ""},
      {"Text.mdb", std::string("[Title]\r\nName=x\r\n"), "not a database file"},
      {"Jet4.mdb", JetHeader("Standard Jet DB"), ""},
      {"Ace.accdb", JetHeader("Standard ACE DB"), ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    auto path = file_.parent_path() / r.name;
    if (r.bytes) WriteBytes(path, *r.bytes);
    std::string text = std::string("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\\\\H\\vurodor\\TB_DataBase\\") + r.name;
    try {
      auto cn = Connection::Open(text, context_);
      (void)cn->Execute("SELECT * FROM 日報情報");
      ADD_FAILURE() << "opened";
    } catch (const DbError& e) {
      EXPECT_NE(std::string(e.what()).find(r.message), std::string::npos) << e.what();
    }
    EXPECT_EQ(std::filesystem::exists(path), r.bytes.has_value());
    if (r.bytes) {
      EXPECT_EQ(ReadBytes(path), *r.bytes);
    }
  }
}

TEST_F(OpenTest, DataSourcesOffTheShareAndUnknownProvidersAreRefused) {
  for (const char* text : {
           "Provider=Microsoft.jet.OLEDB.4.0;Data Source=\\\\H\\vurodor\\..\\share\\TB_DataBase\\Vurodor.mdb",
           "Provider=Microsoft.jet.OLEDB.4.0;Data Source=\\\\H\\other\\TB_DataBase\\Vurodor.mdb",
           "Provider=Microsoft.jet.OLEDB.4.0;Data Source=C:\\TB_DataBase\\Vurodor.mdb",
           "Provider=Microsoft.jet.OLEDB.4.0;Data Source=",
           "Provider=Microsoft.jet.OLEDB.4.0",
           "Provider=MSDASQL;Data Source=\\\\H\\vurodor\\TB_DataBase\\Vurodor.mdb",
           "Data Source=\\\\H\\vurodor\\TB_DataBase\\Vurodor.mdb",
           "garbage \x01\xff;;=",
       }) {
    SCOPED_TRACE(text);
    EXPECT_THROW((void)Connection::Open(text, context_), DbError);
  }
}

TEST_F(OpenTest, WithoutAShareRootNothingIsOpened) {
  // Not even a file of the same name below the working directory.
  std::filesystem::create_directories(dir_.path() / "cwd" / "TB_DataBase");
  std::filesystem::copy_file(file_, dir_.path() / "cwd" / "TB_DataBase" / "Vurodor.mdb");
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir_.path() / "cwd");
  context_.shareRoot.clear();
  EXPECT_THROW((void)Connection::Open(kKanri, context_), DbError);
  std::filesystem::current_path(cwd);
}

TEST_F(OpenTest, SqlServerProviderUsesTheContextValuesAndFailsCleanly) {
  // Nothing listens on port 1 of the loopback: the driver reports the failure.
  context_.sqlSource = "127.0.0.1,1";
  context_.sqlDatabase = "db";
  context_.sqlUid = "u";
  context_.sqlPwd = "p";
  context_.loginTimeoutSeconds = 2;
  EXPECT_THROW((void)Connection::Open("Provider=SQLOLEDB;Data Source=elsewhere;Password=x;", context_),
               DbError);
}

TEST(JetHeaderTest, RecognisesJetAndAceFilesOnly) {
  TempDir dir;
  struct Row {
    std::string bytes;
    bool jet;
  };
  const Row rows[] = {
      {JetHeader("Standard Jet DB"), true},
      {JetHeader("Standard ACE DB"), true},
      {JetHeader("Standard Jet DB").substr(0, 20), true},
      {JetHeader("Standard Jet Db"), false},
      {"SQLite format 3" + std::string(1, '\0') + std::string(100, 'x'), false},
      {"", false},
  };
  int i = 0;
  for (const auto& r : rows) {
    SCOPED_TRACE(i);
    auto path = dir.path() / ("f" + std::to_string(i++));
    WriteBytes(path, r.bytes);
    EXPECT_EQ(jet::HasJetHeader(path), r.jet);
  }
  EXPECT_FALSE(jet::HasJetHeader(dir.path() / "none"));
}

}  // namespace
}  // namespace tb::db
