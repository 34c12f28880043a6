// The ODBC backend against a real server: PostgreSQL through its ODBC driver, with the
// client's own query texts on tables named as the report databases name them. The server
// comes from TB_PG_HOST/PORT/DB/USER/PASSWORD (scripts/start-services.sh prints them);
// with TB_REQUIRE_PG=1 a missing server fails the test, otherwise it is skipped.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <random>

#include "client/core/odbc_connection.h"
#include "client/core/query_texts.h"

namespace tb::db {
namespace {

constexpr char kPgDriver[] = "/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so";

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

bool PgRequired() { return Env("TB_REQUIRE_PG") == "1"; }

OdbcConnectPlan PgPlan(const std::string& password) {
  OdbcConnectPlan plan;
  // This driver reads braces (with "}}" for "}") in the password only; the other values
  // come from the test environment and are plain names.
  const std::string port = Env("TB_PG_PORT").empty() ? "5432" : Env("TB_PG_PORT");
  plan.connectionString = "DRIVER=" + OdbcBraced(kPgDriver) + ";Server=" + Env("TB_PG_HOST") +
                          ";Port=" + port + ";Database=" + Env("TB_PG_DB") +
                          ";UID=" + Env("TB_PG_USER") + ";PWD=" + OdbcBraced(password) + ";";
  plan.loginTimeoutSeconds = 5;
  plan.connectionTimeoutSeconds = 5;
  return plan;
}

const char* const kSchema[] = {
    "CREATE TABLE M_TAG (TAG_ID INTEGER PRIMARY KEY, 大項目NO INTEGER, 中項目NO INTEGER, "
    "小項目NO INTEGER, 単位NO INTEGER, 有効桁 TEXT, 最大値 TEXT, 最小値 TEXT, TOTAL_FLG BOOLEAN, "
    "AVE_FLG BOOLEAN, MAX_FLG BOOLEAN, MIN_FLG BOOLEAN, 種別 INTEGER, P種別 INTEGER)",
    "CREATE TABLE 大項目情報 (大項目NO INTEGER, 名称 TEXT)",
    "CREATE TABLE 中項目情報 (中項目NO INTEGER, 名称 TEXT)",
    "CREATE TABLE 小項目情報 (小項目NO INTEGER, 名称 TEXT)",
    "CREATE TABLE M_UNIT (単位NO INTEGER, 名称 TEXT)",
    "CREATE TABLE 日報情報 (TAG_ID INTEGER, ページNO INTEGER, 項目NO INTEGER)",
    "CREATE TABLE 日報ページタイトル (PAGE INTEGER, Title TEXT)",
    "CREATE TABLE 日報出力ページ (PAGE INTEGER)",
    "CREATE TABLE D_DDAT (DATE TEXT, TAG_ID INTEGER, DATA_1 TEXT, DATA_2 TEXT, DATA_3 TEXT, "
    "TOTAL TEXT, AVE TEXT, MAX TEXT, MIN TEXT)",
    "INSERT INTO 大項目情報 VALUES (1, '取水'), (2, '電力')",
    "INSERT INTO 中項目情報 VALUES (1, '取水量'), (2, '受電電力量')",
    "INSERT INTO 小項目情報 VALUES (1, '1号'), (2, '')",
    "INSERT INTO M_UNIT VALUES (1, 'm3/h'), (2, 'kWh')",
    "INSERT INTO M_TAG VALUES (5, 1, 1, 1, 1, '0.0', '', '', true, true, true, true, 1, 1), "
    "(9, 2, 2, 2, 2, '0', '999', '0', true, false, true, true, 1, 6), "
    "(11, 1, 1, 1, 3, '0', '', '', true, true, true, true, 1, 1)",  // unit 3 is missing
    "INSERT INTO 日報情報 VALUES (9, 1, 2), (5, 1, 1), (11, 1, 3), (5, 2, 1)",
    "INSERT INTO 日報ページタイトル VALUES (1, '取水・電力'), (2, '取水')",
    "INSERT INTO 日報出力ページ VALUES (1)",
    "INSERT INTO D_DDAT VALUES ('2026/3/7', 9, '60', '*', NULL, '120', '60', '60', '60'), "
    "('2026/3/7', 5, '101.25', '', '99.5', '200.75', '100.4', '101.25', '99.5'), "
    "('2026/3/17', 5, '1', '1', '1', '3', '1', '1', '1')",
};

class PostgresTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (Env("TB_PG_HOST").empty()) why = "TB_PG_HOST is not set";
    else if (access(kPgDriver, R_OK) != 0) why = std::string(kPgDriver) + " is missing";
    if (why.empty()) {
      try {
        cn_ = std::make_unique<OdbcConnection>(PgPlan(Env("TB_PG_PASSWORD")));
      } catch (const DbError& e) {
        why = e.Description();
      }
    }
    if (!why.empty()) {
      if (PgRequired()) FAIL() << "PostgreSQL required but unreachable: " << why;
      GTEST_SKIP() << why;
    }
    // A schema of our own, so that parallel runs do not meet.
    std::random_device rd;
    schema_ = "tb_odbc_" + std::to_string(getpid()) + "_" + std::to_string(rd() % 100000);
    cn_->Execute("CREATE SCHEMA " + schema_);
    cn_->Execute("SET search_path TO " + schema_);
    for (const char* sql : kSchema) cn_->Execute(sql);
  }
  void TearDown() override {
    if (cn_ && !schema_.empty()) {
      try {
        cn_->Execute("DROP SCHEMA " + schema_ + " CASCADE");
      } catch (...) {
      }
    }
  }
  std::unique_ptr<OdbcConnection> cn_;
  std::string schema_;
};

TEST_F(PostgresTest, LayoutQueriesRunAsTheClientWritesThem) {
  Recordset rs = cn_->Execute(sql::PageCount(1));
  EXPECT_EQ(rs.Field("MAXP"), "2");  // the server folds the alias to lower case

  rs = cn_->Execute(sql::PageQuery(sql::ItemQuery(1), 1, 1));
  ASSERT_EQ(rs.RecordCount(), 2u);  // tag 11 has no unit row and drops out of the join
  EXPECT_EQ(rs.Field("TAG_ID"), "5");
  EXPECT_EQ(rs.Field("項目NO"), "1");
  EXPECT_EQ(rs.Field("BIGN"), "取水");
  EXPECT_EQ(rs.Field("TANN"), "m3/h");
  EXPECT_EQ(rs.Field("有効桁"), "0.0");
  EXPECT_EQ(rs.Field("TOTAL_FLG"), "1");
  rs.MoveNext();
  EXPECT_EQ(rs.Field("TAG_ID"), "9");
  EXPECT_EQ(rs.Field("P種別"), "6");
  EXPECT_EQ(rs.Field("SMLN"), "");
  EXPECT_EQ(rs.Field("AVE_FLG"), "0");

  EXPECT_EQ(cn_->Execute(sql::PageTitle(1, 1)).Field("Title"), "取水・電力");
  rs = cn_->Execute(sql::PageTitleList(1));
  EXPECT_EQ(rs.RecordCount(), 2u);
  EXPECT_FALSE(cn_->Execute(sql::PrintPage(1, 1)).Eof());
  EXPECT_TRUE(cn_->Execute(sql::PrintPage(1, 2)).Eof());
}

TEST_F(PostgresTest, DataQueriesReturnTextsMarksAndNulls) {
  Recordset rs = cn_->Execute(sql::TagValues("D_DDAT", "2026/3/7", 5));
  ASSERT_EQ(rs.RecordCount(), 1u);
  EXPECT_EQ(rs.Field("DATA_1"), "101.25");
  EXPECT_EQ(rs.Field("DATA_2"), "");
  EXPECT_EQ(rs.Field("MAX"), "101.25");
  rs = cn_->Execute(sql::PeriodValues("D_DDAT", "2026/3/7"));
  ASSERT_EQ(rs.RecordCount(), 2u);
  EXPECT_EQ(rs.Field("TAG_ID"), "5");
  ASSERT_TRUE(rs.Find("TAG_ID = 9"));
  EXPECT_EQ(rs.Field("DATA_2"), "*");
  EXPECT_EQ(rs.Field("DATA_3"), std::nullopt);
  EXPECT_TRUE(cn_->Execute(sql::TagValues("D_DDAT", "2026/3/8", 5)).Eof());
  EXPECT_THROW(cn_->Execute("SELECT * FROM D_MDAT"), DbError);
}

TEST_F(PostgresTest, WrongPasswordIsADbError) {
  EXPECT_THROW(OdbcConnection{PgPlan(Env("TB_PG_PASSWORD") + "x")}, DbError);
}

}  // namespace
}  // namespace tb::db
