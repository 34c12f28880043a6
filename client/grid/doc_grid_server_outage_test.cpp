// The grid page with its data on a database server (reached through ODBC) that stops in
// the middle of a session and starts again: the loads while it is down end with the table
// access fault and the headings, and once it is back the next load of the same session
// shows the values, without anything being restarted on the client's side.
//
// The server is a PostgreSQL instance of this test's own (made with initdb in a temporary
// folder, listening only on a socket there), so that stopping it disturbs no other test.
// Without PostgreSQL's programs the test is skipped, unless TB_REQUIRE_PG=1.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "client/core/messages.h"
#include "client/core/odbc_connection.h"
#include "client/grid/grid_test_share.h"

namespace tb {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;

constexpr char kPgDriver[] = "/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so";

// The newest PostgreSQL server programs of this machine, or empty.
fs::path PostgresBin() {
  fs::path best;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator("/usr/lib/postgresql", ec))
    if (fs::exists(e.path() / "bin" / "initdb") && (best.empty() || e.path() > best.parent_path()))
      best = e.path() / "bin";
  return best;
}

class PrivatePostgres {
 public:
  PrivatePostgres() : bin_(PostgresBin()) {
    char pattern[] = "/tmp/tb-pg-XXXXXX";
    if (bin_.empty() || ::mkdtemp(pattern) == nullptr) return;
    dir_ = pattern;
    // The server refuses to run as root: it runs as the postgres user then.
    if (::geteuid() == 0) {
      as_ = "runuser -u postgres -- ";
      if (std::system(("chown postgres: '" + dir_.string() + "'").c_str()) != 0) return;
    }
    ok_ = Run("'" + (bin_ / "initdb").string() + "' -D '" + Data() +
              "' -N -A trust -U postgres -E UTF8 --locale=C.UTF-8") &&
          Start();
  }
  ~PrivatePostgres() {
    if (!dir_.empty()) {
      Stop();
      std::error_code ec;
      fs::remove_all(dir_, ec);
    }
  }
  [[nodiscard]] bool Ok() const { return ok_; }
  // The folder of its socket: the "host" its clients name.
  [[nodiscard]] std::string Host() const { return dir_.string(); }

  bool Start() {
    return Run("'" + (bin_ / "pg_ctl").string() + "' -D '" + Data() + "' -l '" + dir_.string() +
               "/log' -w -t 30 -o \"-k '" + dir_.string() +
               "' -c listen_addresses='' -c fsync=off\" start");
  }
  // As a crash or a power cut would: sessions are dropped at once.
  bool Stop() { return Run("'" + (bin_ / "pg_ctl").string() + "' -D '" + Data() + "' -m immediate -w stop"); }
  bool Sql(const std::string& sql) {
    const auto file = dir_ / "input.sql";
    { std::ofstream(file) << sql; }
    ::chmod(file.c_str(), 0644);
    return Run("psql -q -h '" + dir_.string() + "' -d postgres -U postgres -v ON_ERROR_STOP=1 -f '" +
               file.string() + "'");
  }

 private:
  std::string Data() const { return (dir_ / "data").string(); }
  bool Run(const std::string& command) const {
    return std::system((as_ + command + " >>'" + (dir_ / "setup.log").string() + "' 2>&1").c_str()) == 0;
  }

  fs::path bin_, dir_;
  std::string as_;
  bool ok_ = false;
};

class GridServerOutage : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!pg_.Ok() || ::access(kPgDriver, R_OK) != 0) {
      if (const char* need = std::getenv("TB_REQUIRE_PG"); need && std::string(need) == "1")
        FAIL() << "PostgreSQL could not be started for this test";
      GTEST_SKIP() << "no PostgreSQL server programs or ODBC driver";
    }
    ASSERT_TRUE(pg_.Sql(DataTable() +
                        "INSERT INTO D_DDAT (DATE, TAG_ID, DATA_1, DATA_2, TOTAL, AVE, MAX, MIN) VALUES"
                        " ('2026/3/7', 101, '12.5', '13', '25.5', '12.8', '13', '12.5');"));
    const auto ini = t.share.Root() / "client" / "TBWeb.ini";
    ASSERT_TRUE(platform::WriteProfileStringUtf8(ini, "DB", "FLG", "1"));
    for (auto [key, value] : {std::pair{"SOURCE", pg_.Host()}, {"DATABASE", std::string("postgres")},
                              {"UID", std::string("postgres")}, {"PWD", std::string("-")}})
      ASSERT_TRUE(platform::WriteProfileStringUtf8(ini, "SQL", key, value));
    t.share.ReadInto(t.s, t.host);
    // The same connection as for SQL Server, in the words of this server's driver.
    t.s.env.odbcPlan = [](const db::ConnectionContext& c) {
      db::OdbcConnectPlan plan;
      plan.connectionString = "DRIVER=" + db::OdbcBraced(kPgDriver) + ";Server=" + c.sqlSource +
                              ";Database=" + c.sqlDatabase + ";UID=" + c.sqlUid +
                              ";PWD=" + db::OdbcBraced(c.sqlPwd) + ";";
      plan.loginTimeoutSeconds = plan.connectionTimeoutSeconds = 5;
      return plan;
    };
    t.share.AddTag({101, "流量", "A系", "瞬時", "m3/h", "0.0", 0});
    t.share.Place(1, 1, 1, 101);
    testing_share::SetReport(t.s, 1, 2026y / 3 / 7, 1);
  }
  static std::string DataTable() {
    std::string sql = "CREATE TABLE D_DDAT (DATE TEXT, TAG_ID INTEGER";
    for (int i = 1; i <= 24; ++i) sql += ", DATA_" + std::to_string(i) + " TEXT";
    return sql + ", TOTAL TEXT, AVE TEXT, MAX TEXT, MIN TEXT);";
  }
  // One load of the page; its messages.
  std::vector<std::string> Load() {
    t.host.messages.clear();
    const auto start = steady_clock::now();
    t.Open();
    EXPECT_LT(steady_clock::now() - start, seconds(15)) << "a load must not hang on a lost server";
    EXPECT_TRUE(t.doc->Controls()["grdGrid"].visible);
    EXPECT_EQ(t.doc->Controls()["Timer1"].interval, 0);
    return t.host.MessageTexts();
  }

  PrivatePostgres pg_;
  testing_share::GridSession t;
};

TEST_F(GridServerOutage, LoadsReportTheLostServerAndWorkAgainOnceItIsBack) {
  const std::vector<std::string> none, fault{std::string(msg::kTableAccessFault)};
  EXPECT_EQ(Load(), none);
  EXPECT_EQ(t.G().TextMatrix(4, 1), "12.5");

  ASSERT_TRUE(pg_.Stop());
  EXPECT_EQ(Load(), fault) << "server down between loads";
  EXPECT_EQ(t.G().TextMatrix(0, 1), "流量");
  EXPECT_EQ(t.G().TextMatrix(4, 1), "");

  ASSERT_TRUE(pg_.Start());
  EXPECT_EQ(Load(), none) << "the same session, once the server is back";
  EXPECT_EQ(t.G().TextMatrix(4, 1), "12.5");

  // Down in the middle of a load, with the data connection open.
  t.host.onStatusText = [&](std::string_view text) {
    if (text == msg::kStatusLoadingItems) {
      EXPECT_TRUE(pg_.Stop());
    }
  };
  EXPECT_EQ(Load(), fault) << "server down during a load";
  EXPECT_EQ(t.G().TextMatrix(4, 1), "");
  t.host.onStatusText = nullptr;

  ASSERT_TRUE(pg_.Start());
  EXPECT_EQ(Load(), none);
  EXPECT_EQ(t.G().TextMatrix(28, 1), "25.5");
}

}  // namespace
}  // namespace tb
