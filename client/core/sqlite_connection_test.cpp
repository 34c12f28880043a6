#include "client/core/sqlite_connection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "client/core/database_fault.h"
#include "client/core/test_files.h"

namespace tb::db {
namespace {

using tb::testing::MakeSqlite;
using tb::testing::ReadBytes;
using tb::testing::TempDir;
using tb::testing::WriteBytes;

TEST(SqliteConnectionTest, ValuesComeAsText) {
  TempDir dir;
  auto file = dir.path() / "v.db";
  MakeSqlite(file,
             "CREATE TABLE t (i INTEGER, r REAL, s TEXT, b BLOB, n TEXT);"
             "INSERT INTO t VALUES (-42, 0.1, '水温', x'00ff41', NULL);"
             "INSERT INTO t VALUES (9007199254740993, 2.5, '', x'', NULL);"
             "INSERT INTO t VALUES (0, 1e20, '*', NULL, NULL);"
             "INSERT INTO t VALUES (0, -0.0, ' a ', NULL, NULL);");
  SqliteConnection cn(file);
  Recordset rs = cn.Execute("SELECT * FROM t");
  ASSERT_EQ(rs.RecordCount(), 4u);
  EXPECT_EQ(rs.Field("i"), "-42");
  EXPECT_EQ(rs.Field("r"), "0.1");
  EXPECT_EQ(rs.Field("s"), "水温");
  EXPECT_EQ(rs.Field("b"), std::string("\0\xff" "A", 3));
  EXPECT_EQ(rs.Field("n"), std::nullopt);
  rs.MoveNext();
  EXPECT_EQ(rs.Field("i"), "9007199254740993");  // not through a double
  EXPECT_EQ(rs.Field("r"), "2.5");
  EXPECT_EQ(rs.Field("s"), "");
  rs.MoveNext();
  EXPECT_EQ(rs.Field("r"), "1e+20");
  rs.MoveNext();
  EXPECT_EQ(rs.Field("r"), "0");
  EXPECT_EQ(rs.Field("s"), " a ");
}

TEST(SqliteConnectionTest, JapaneseTableAndColumnNamesWorkAsTheyAre) {
  TempDir dir;
  auto file = dir.path() / "k.db";
  MakeSqlite(file,
             "CREATE TABLE 日報情報 (TAG_ID INTEGER, ページNO INTEGER, 項目NO INTEGER);"
             "INSERT INTO 日報情報 VALUES (1, 1, 1), (2, 3, 2);");
  SqliteConnection cn(file);
  Recordset rs = cn.Execute("SELECT MAX(ページNO) AS MAXP FROM 日報情報");
  EXPECT_EQ(rs.Field("MAXP"), "3");
  rs = cn.Execute("SELECT 日報情報.* FROM 日報情報 WHERE 日報情報.ページNO = 3");
  EXPECT_EQ(rs.Field("項目NO"), "2");
  EXPECT_EQ(rs.Columns(), (std::vector<std::string>{"TAG_ID", "ページNO", "項目NO"}));
}

TEST(SqliteConnectionTest, RefusesWritesAndLeavesTheFileAsItWas) {
  TempDir dir;
  auto file = dir.path() / "w.db";
  MakeSqlite(file, "CREATE TABLE t (a INTEGER); INSERT INTO t VALUES (1);");
  const std::string before = ReadBytes(file);
  {
    SqliteConnection cn(file);
    for (const char* sql : {"DELETE FROM t", "INSERT INTO t VALUES (2)", "CREATE TABLE u (b)",
                            "DROP TABLE t", "PRAGMA user_version = 3"}) {
      SCOPED_TRACE(sql);
      EXPECT_THROW(cn.Execute(sql), DbError);
    }
    EXPECT_EQ(cn.Execute("SELECT COUNT(*) AS N FROM t").Field("N"), "1");
  }
  EXPECT_EQ(ReadBytes(file), before);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "w.db-journal"));
}

TEST(SqliteConnectionTest, BadFilesThrowAndNothingIsCreated) {
  TempDir dir;
  auto good = dir.path() / "good.db";
  std::string schema = "CREATE TABLE t (a INTEGER, b TEXT);";
  for (int i = 0; i < 200; ++i) schema += "INSERT INTO t VALUES (" + std::to_string(i) + ", hex(randomblob(200)));";
  MakeSqlite(good, schema);
  const std::string bytes = ReadBytes(good);

  EXPECT_THROW(SqliteConnection(dir.path() / "missing.db"), DbError);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing.db"));
  EXPECT_THROW(SqliteConnection(dir.path()), DbError);  // a folder

  WriteBytes(dir.path() / "garbage.db", std::string(4096, '\x5a'));
  EXPECT_THROW(SqliteConnection(dir.path() / "garbage.db"), DbError);

  // Cut short at several places: the open or the query fails, never a crash.
  for (std::size_t cut : {std::size_t{20}, std::size_t{100}, std::size_t{1000}, std::size_t{4096},
                          bytes.size() / 2}) {
    SCOPED_TRACE(cut);
    auto file = dir.path() / ("cut" + std::to_string(cut) + ".db");
    WriteBytes(file, bytes.substr(0, cut));
    EXPECT_THROW(
        {
          SqliteConnection cn(file);
          (void)cn.Execute("SELECT * FROM t");
        },
        DbError);
  }
}

TEST(SqliteConnectionTest, ErrorsAndClosedConnections) {
  TempDir dir;
  auto file = dir.path() / "e.db";
  MakeSqlite(file, "CREATE TABLE t (a INTEGER);");
  SqliteConnection cn(file);
  EXPECT_THROW(cn.Execute("SELECT * FROM 日報情報"), DbError);
  EXPECT_THROW(cn.Execute("SELEC nonsense"), DbError);
  EXPECT_THROW(cn.Execute(""), DbError);
  cn.Close();
  EXPECT_THROW(cn.Execute("SELECT 1"), DbError);
}

// The logging side commits while the client reads: a query waits for the writer's lock
// instead of failing at once, and one held for good fails after the wait.
TEST(SqliteConnectionTest, QueriesWaitOutAWriterThatHoldsTheFileBriefly) {
  TempDir dir;
  auto file = dir.path() / "busy.db";
  MakeSqlite(file, "CREATE TABLE t (a INTEGER); INSERT INTO t VALUES (7);");
  SqliteConnection cn(file);
  {
    tb::testing::InjectedDbFault writer(file, tb::testing::DbFault::kLocked);
    writer.Inject();
    std::thread commit([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      writer.Undo();
    });
    Recordset rs;
    EXPECT_NO_THROW(rs = cn.Execute("SELECT a FROM t"));
    commit.join();
    EXPECT_EQ(rs.Field("a"), "7");
  }
  tb::testing::InjectedDbFault stuck(file, tb::testing::DbFault::kLocked);
  stuck.Inject();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(cn.Execute("SELECT a FROM t"), DbError);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(SqliteConnectionTest, RealToTextIsShortest) {
  EXPECT_EQ(RealToText(101.25), "101.25");
  EXPECT_EQ(RealToText(0.30000000000000004), "0.30000000000000004");
  EXPECT_EQ(RealToText(3.0), "3");
  EXPECT_EQ(RealToText(-1234.5), "-1234.5");
  EXPECT_EQ(RealToText(123456789012345.0), "123456789012345");
}

}  // namespace
}  // namespace tb::db
