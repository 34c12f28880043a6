// tbexport: its arguments, and the program itself on a seeded share: exit statuses, one
// sheet per page, values equal to the data database's (read here with SQLite directly).
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "client/core/test_files.h"
#include "client/export/export_test_share.h"
#include "tools/tbexport/export_options.h"
#include "tools/tbseed/seed_share.h"

namespace tbexport {
namespace {

using namespace std::chrono;
namespace fs = std::filesystem;
using json = nlohmann::json;

std::vector<std::string> Args(std::initializer_list<const char*> extra) {
  std::vector<std::string> a = {"--share-root", "/s", "--client-dir", "/c", "--out", "x.xlsx"};
  a.insert(a.end(), extra.begin(), extra.end());
  return a;
}

TEST(TbexportOptions, ReadsEveryKindsPeriodKey) {
  std::string error;
  auto o = ParseOptions(Args({"--kind", "daily", "--date", "2026/12/8"}), &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->kind, 1);
  EXPECT_EQ(o->date, 2026y / 12 / 8);
  EXPECT_EQ(o->page, std::nullopt);
  EXPECT_EQ(o->cacheDir, fs::path("/c/jetcache"));
  o = ParseOptions(Args({"--kind", "monthly", "--date", "2026/02", "--page", "3"}), &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->date, 2026y / 2 / 1);
  EXPECT_EQ(o->page, 3);
  // Pages run from 1 to 32767, the layout's page numbers.
  for (const auto& [text, page] : {std::pair{"1", 1}, std::pair{"32767", 32767}}) {
    o = ParseOptions(Args({"--kind", "daily", "--date", "2026/12/8", "--page", text}), &error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->page, page);
  }
  o = ParseOptions(Args({"--kind", "yearly", "--date", "2026", "--cache-dir", "/k"}), &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->date, 2026y / 1 / 1);
  EXPECT_EQ(o->cacheDir, fs::path("/k"));
}

TEST(TbexportOptions, RefusesWhatIsNotAPeriodOrAFlag) {
  const std::vector<std::vector<std::string>> bad = {
      Args({"--kind", "daily", "--date", "2026/12"}),       // a month for a day
      Args({"--kind", "monthly", "--date", "2026/12/8"}),
      Args({"--kind", "yearly", "--date", "26/1"}),
      Args({"--kind", "daily", "--date", "2026/2/30"}),     // no such day
      Args({"--kind", "daily", "--date", "2026/12/8x"}),
      Args({"--kind", "weekly", "--date", "2026"}),
      Args({"--kind", "daily", "--date", "2026/12/8", "--page", "0"}),
      Args({"--kind", "daily", "--date", "2026/12/8", "--page", "2a"}),
      Args({"--kind", "daily", "--date", "2026/12/8", "--page", "32768"}),
      Args({"--kind", "daily", "--date", "2026/12/8", "--page", "-1"}),
      Args({"--kind", "daily", "--date", "2026/12/8", "--page", ""}),
      Args({"--kind", "daily", "--date", "2026/12/8", "--cache-dir", ""}),  // an empty value
      Args({"--kind", "daily", "--date", "2026/12/8", "--kind", "daily"}),
      Args({"--kind", "daily", "--date", "2026/12/8", "--verbose"}),
      Args({"--kind", "daily", "--date"}),
      Args({"--kind", "daily"}),
      {"--kind", "daily", "--date", "2026/12/8", "--share-root", "/s", "--client-dir", "/c", "--out", "x.csv"},
  };
  for (size_t i = 0; i < bad.size(); ++i) {
    std::string error;
    EXPECT_FALSE(ParseOptions(bad[i], &error)) << i;
    EXPECT_FALSE(error.empty()) << i;
  }
}

// Runs the built tbexport with `args`; returns its exit status and its stderr in *err.
int RunTbexport(const std::string& args, std::string* err = nullptr) {
  static const fs::path errFile = fs::temp_directory_path() / ("tbexport_err_" + std::to_string(getpid()));
  const char* bin = std::getenv("TB_BINARY_DIR");
  const std::string cmd = "'" + std::string(bin ? bin : "build") + "/bin/tbexport' " + args +
                          " >/dev/null 2>'" + errFile.string() + "'";
  const int status = std::system(cmd.c_str());
  if (err) *err = tb::testing::ReadBytes(errFile);
  fs::remove(errFile);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Folders(const fs::path& root) {
  return "--share-root '" + (root / "share").string() + "' --client-dir '" + (root / "client").string() + "' ";
}

// The first row of a query on one of the share's SQLite files, NULL as nullopt.
std::vector<std::optional<std::string>> QueryRow(const fs::path& file, const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
  std::vector<std::optional<std::string>> out;
  if (st != nullptr && sqlite3_step(st) == SQLITE_ROW)
    for (int i = 0; i < sqlite3_column_count(st); ++i) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
      out.push_back(text ? std::optional<std::string>(text) : std::nullopt);
    }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return out;
}

// The program on a share seeded with 20 tags for the year up to 2026/3/7.
class TbexportProgram : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new tb::testing::TempDir;
    tbseed::SeedOptions o;
    o.shareRoot = dir_->path() / "share";
    o.clientDir = dir_->path() / "client";
    o.tags = 20;
    o.years = 1;
    o.endDate = 2026y / 3 / 7;
    (void)tbseed::SeedShare(o);
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static fs::path Root() { return dir_->path(); }
  static int Run(const std::string& args, std::string* err = nullptr) {
    return RunTbexport(Folders(Root()) + args, err);
  }
  static std::vector<std::optional<std::string>> Data(const std::string& sql) {
    return QueryRow(Root() / "share/TB_DataBase/RIVove.mdb", sql);
  }
  static int Layout(const std::string& sql) {
    const auto row = QueryRow(Root() / "share/TB_DataBase/Vurodor.mdb", sql);
    return row.empty() || !row[0] ? -1 : std::stoi(*row[0]);
  }

 private:
  static tb::testing::TempDir* dir_;
};
tb::testing::TempDir* TbexportProgram::dir_ = nullptr;

// Every value of column B on page 1 equals the database's (the seeded values carry
// exactly their digit pattern's decimals, so rounding leaves them as they are).
void ExpectFirstColumnMatches(const json& sheet, const std::vector<std::optional<std::string>>& row,
                              int rows, bool minutes) {
  ASSERT_GE(row.size(), static_cast<size_t>(rows + 2));
  for (int i = 1; i <= rows; ++i) {
    const auto& v = row[static_cast<size_t>(i + 1)];  // DATE, TAG_ID, DATA_1 ...
    const auto& cell = tb::workbook::testing::At(sheet, "B" + std::to_string(7 + i));
    if (!v || v->empty()) {
      EXPECT_TRUE(cell["v"].is_null()) << i;
    } else if (*v == "*") {
      EXPECT_EQ(cell["v"], "*") << i;
    } else {
      EXPECT_EQ(cell["t"], minutes ? "duration" : "number") << i << " " << cell.dump();
      EXPECT_NEAR(cell["v"].get<double>(), std::stod(*v), 1e-9) << i;
    }
  }
}

TEST_F(TbexportProgram, WritesEveryKindsPeriod) {
  struct Case { const char* kind; const char* key; const char* layout; const char* table; int rows; };
  for (const Case& c : {Case{"daily", "2026/3/6", "日報情報", "D_DDAT", 24},
                        Case{"monthly", "2026/2", "月報情報", "D_MDAT", 28},
                        Case{"yearly", "2025", "年報情報", "D_YDAT", 12}}) {
    const fs::path out = Root() / (std::string(c.kind) + ".xlsx");
    std::string err;
    ASSERT_EQ(Run(std::string("--kind ") + c.kind + " --date " + c.key + " --out '" + out.string() + "'", &err), 0)
        << c.kind << ": " << err;
    const auto wb = tb::workbook::testing::ReadWorkbook(out);
    const int maxPage = Layout(std::string("SELECT MAX(ページNO) FROM ") + c.layout);
    EXPECT_EQ(static_cast<int>(wb["sheets"].size()), maxPage) << c.kind;
    const int tag = Layout(std::string("SELECT TAG_ID FROM ") + c.layout +
                                              " WHERE ページNO = 1 AND 項目NO = 1");
    const bool minutes = Layout("SELECT P種別 FROM M_TAG WHERE TAG_ID = " + std::to_string(tag)) == 6;
    ExpectFirstColumnMatches(wb["sheets"][0],
                             Data(std::string("SELECT * FROM ") + c.table + " WHERE DATE = '" + c.key +
                                     "' AND TAG_ID = " + std::to_string(tag)),
                             c.rows, minutes);
  }
}

TEST_F(TbexportProgram, ExitStatusesOfFailures) {
  const fs::path out = Root() / "page.xlsx";
  EXPECT_EQ(Run("--kind daily --date 2026/3/6 --page 2 --out '" + out.string() + "'"), 0);
  EXPECT_EQ(tb::workbook::testing::ReadWorkbook(out)["sheets"].size(), 1u);
  std::string err;
  EXPECT_EQ(Run("--kind daily --date 2026/3/6 --page 999 --out '" + out.string() + "'", &err), 1);
  EXPECT_NE(err.find("page 999"), std::string::npos) << err;
  EXPECT_EQ(Run("--kind daily --date 2026/3/6 --out '" + (Root() / "no/such/dir/x.xlsx").string() + "'", &err), 1);
  EXPECT_NE(err.find("ファイルを作成できません"), std::string::npos) << err;
  EXPECT_EQ(Run("--kind daily --date 2026/13/6 --out x.xlsx", &err), 2);
  EXPECT_NE(err.find("usage"), std::string::npos) << err;
  EXPECT_EQ(RunTbexport("--share-root /nonexistent --client-dir /nonexistent --kind daily "
                        "--date 2026/3/6 --out x.xlsx"), 2);
}

// A share whose layout database is gone: the client's message, exit 1, no file.
TEST(TbexportBrokenShare, ShowsTheClientsMessage) {
  tb::workbook::testing::Share share;
  fs::remove(share.Layout());
  const fs::path out = share.Root() / "x.xlsx";
  std::string err;
  EXPECT_EQ(RunTbexport(Folders(share.Root()) + "--kind daily --date 2026/3/6 --out '" + out.string() + "'", &err), 1);
  EXPECT_NE(err.find("データベースが接続できません。"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(out));
}

}  // namespace
}  // namespace tbexport
