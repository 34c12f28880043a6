// Test support (header only, used by the *_test.cpp files of this folder): a small share
// built in a temporary folder — Vurodor.ini written through the profile layer, the layout
// database Vurodor.mdb and the data database RIVove.mdb as SQLite files with the report
// tables — and a ClientState/ScriptedHost pair set up as the selection page's Run leaves
// them for the grid page.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "client/core/client_state.h"
#include "client/core/formatting.h"
#include "client/core/query_texts.h"
#include "client/core/scripted_host.h"
#include "client/grid/doc_grid.h"
#include "client/grid/period_step.h"
#include "platform/profile.h"

namespace tb::testing_share {

namespace fs = std::filesystem;
using Cell = std::optional<std::string>;  // nullopt = Null

inline void Exec(const fs::path& db, const std::string& sql) {
  sqlite3* h = nullptr;
  if (sqlite3_open(db.c_str(), &h) != SQLITE_OK) throw std::runtime_error("open " + db.string());
  char* err = nullptr;
  // Test databases need no durability; without syncs a share builds in milliseconds.
  sqlite3_exec(h, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
  const int rc = sqlite3_exec(h, sql.c_str(), nullptr, nullptr, &err);
  std::string message = err ? err : "";
  sqlite3_free(err);
  sqlite3_close(h);
  if (rc != SQLITE_OK) throw std::runtime_error(message + " in " + sql);
}

inline std::string Quote(const Cell& v) {
  if (!v) return "NULL";
  std::string out = "'";
  for (char c : *v) out += c == '\'' ? std::string("''") : std::string(1, c);
  return out + "'";
}

inline std::string LayoutSchema() {
  std::string s =
      "CREATE TABLE M_TAG(TAG_ID INTEGER PRIMARY KEY, 大項目NO INTEGER, 中項目NO INTEGER, "
      "小項目NO INTEGER, 単位NO INTEGER, 有効桁 TEXT, 最大値 TEXT, 最小値 TEXT, "
      "TOTAL_FLG INTEGER, AVE_FLG INTEGER, MAX_FLG INTEGER, MIN_FLG INTEGER, 種別 INTEGER, "
      "P種別 INTEGER);"
      "CREATE TABLE 大項目情報(大項目NO INTEGER, 名称 TEXT);"
      "CREATE TABLE 中項目情報(中項目NO INTEGER, 名称 TEXT);"
      "CREATE TABLE 小項目情報(小項目NO INTEGER, 名称 TEXT);"
      "CREATE TABLE M_UNIT(単位NO INTEGER, 名称 TEXT);";
  for (int kind = 1; kind <= 3; ++kind) {
    s += "CREATE TABLE " + std::string(sql::LayoutTable(kind)) +
         "(TAG_ID INTEGER, ページNO INTEGER, 項目NO INTEGER);";
    s += "CREATE TABLE " + std::string(sql::TitleTable(kind)) + "(PAGE INTEGER, Title TEXT);";
    s += "CREATE TABLE " + std::string(sql::PrintPagesTable(kind)) + "(PAGE INTEGER);";
  }
  return s;
}

inline std::string DataSchema() {
  std::string s;
  for (auto [table, count] : {std::pair{"D_DDAT", 24}, std::pair{"D_MDAT", 31},
                              std::pair{"D_YDAT", 12}}) {
    s += std::string("CREATE TABLE ") + table + "(DATE TEXT, TAG_ID INTEGER";
    for (int i = 1; i <= count; ++i) s += ", DATA_" + std::to_string(i) + " TEXT";
    s += ", TOTAL TEXT, AVE TEXT, MAX TEXT, MIN TEXT);";
  }
  return s;
}

struct Tag {
  long long id = 0;
  std::string big, mid, small, unit;  // heading and unit names
  Cell pattern = "0";                 // 有効桁
  int displayType = 0;                // P種別
};

struct Values {
  std::vector<Cell> data;  // DATA_1.. (missing trailing ones are Null)
  Cell total, ave, max, min;
};

class Share {
 public:
  explicit Share(int dayStartHour = 1, int monthStartDay = 1, int yearStartMonth = 1,
                 int ketaFlg = 0, int westernYear = 1) {
    std::random_device rd;
    root_ = fs::temp_directory_path() / ("tb_grid_test_" + std::to_string(rd()));
    fs::create_directories(root_ / "share" / "TB_DataBase");
    fs::create_directories(root_ / "client");
    const auto ini = root_ / "share" / "Vurodor.ini";
    auto put = [&](const char* sec, const char* key, const std::string& v) {
      if (!platform::WriteProfileStringUtf8(ini, sec, key, v)) throw std::runtime_error("ini");
    };
    put("Title", "Name", "テスト日報");
    put("Print", "Size", "A3");
    put("Nippou", "Hour", std::to_string(dayStartHour));
    put("Geppou", "Day", std::to_string(monthStartDay));
    put("Nenpou", "Month", std::to_string(yearStartMonth));
    put("Mode", "Year", std::to_string(westernYear));
    put("Inkan", "Kosuu", "4");
    put("Tenki", "Flg", "0");
    put("Keta", "Flg", std::to_string(ketaFlg));
    put("Inkan", "Flg", "0");
    Exec(Layout(), LayoutSchema());
    Exec(Data(), DataSchema());
  }
  ~Share() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  Share(const Share&) = delete;
  Share& operator=(const Share&) = delete;

  [[nodiscard]] fs::path Root() const { return root_; }
  [[nodiscard]] fs::path Layout() const { return root_ / "share" / "TB_DataBase" / "Vurodor.mdb"; }
  [[nodiscard]] fs::path Data() const { return root_ / "share" / "TB_DataBase" / "RIVove.mdb"; }

  // A tag with its own heading and unit rows (numbered by the tag id).
  void AddTag(const Tag& t) {
    const auto id = std::to_string(t.id);
    Exec(Layout(), "INSERT INTO M_TAG VALUES(" + id + "," + id + "," + id + "," + id + "," + id +
                       "," + Quote(t.pattern) + ",'','',1,1,1,1,0," +
                       std::to_string(t.displayType) + ");"
                       "INSERT INTO 大項目情報 VALUES(" + id + "," + Quote(t.big) + ");"
                       "INSERT INTO 中項目情報 VALUES(" + id + "," + Quote(t.mid) + ");"
                       "INSERT INTO 小項目情報 VALUES(" + id + "," + Quote(t.small) + ");"
                       "INSERT INTO M_UNIT VALUES(" + id + "," + Quote(t.unit) + ");");
  }
  void Place(int kind, int page, int column, long long tagId) {
    Exec(Layout(), "INSERT INTO " + std::string(sql::LayoutTable(kind)) + " VALUES(" +
                       std::to_string(tagId) + "," + std::to_string(page) + "," +
                       std::to_string(column) + ");");
  }
  void Title(int kind, int page, const std::string& title) {
    Exec(Layout(), "INSERT INTO " + std::string(sql::TitleTable(kind)) + " VALUES(" +
                       std::to_string(page) + "," + Quote(title) + ");");
  }
  void Put(int kind, const std::string& key, long long tagId, const Values& v) {
    const int count = kind == 1 ? 24 : kind == 2 ? 31 : 12;
    std::string sql = "INSERT INTO " + std::string(sql::DataTable(kind)) + " VALUES(" +
                      Quote(key) + "," + std::to_string(tagId);
    for (int i = 0; i < count; ++i)
      sql += "," + Quote(i < static_cast<int>(v.data.size()) ? v.data[static_cast<size_t>(i)]
                                                             : Cell{});
    sql += "," + Quote(v.total) + "," + Quote(v.ave) + "," + Quote(v.max) + "," + Quote(v.min) + ");";
    Exec(Data(), sql);
  }

  // Settings read as the selection page's start-up reads them.
  void ReadInto(ClientState& s, Host& host) const {
    s.env.shareRoot = root_ / "share";
    s.env.clientDir = root_ / "client";
    s.env.jetCacheDir = root_ / "cache";
    SetServerLocation(s, "http://HOST/docMain.vbd");
    ReadSettings(s, host);
  }

 private:
  fs::path root_;
};

// The shared report description as Run writes it for one period of one kind.
inline void SetReport(ClientState& s, int kind, std::chrono::year_month_day date, int maxPage,
                      int page = 1) {
  s.gReportKind = static_cast<std::int16_t>(kind);
  s.gReportDate = date;
  s.gDateKey = PeriodKey(kind, date);
  s.gDateCaption = PeriodCaption(kind, date, s.gWesternYear);
  const int y = static_cast<int>(date.year());
  const int m = static_cast<int>(static_cast<unsigned>(date.month()));
  s.gColumnCount = static_cast<std::int16_t>(kind == 1 ? 24 : kind == 2 ? DaysInMonth(y, m) : 12);
  s.gPeriodStart = kind == 1 ? s.gDayStartHour : kind == 2 ? s.gMonthStartDay : s.gYearStartMonth;
  s.gPeriodUnit = kind == 1 ? "時" : kind == 2 ? "日" : "月";
  s.gDataTable = std::string(sql::DataTable(kind));
  s.gItemSql = sql::ItemQuery(kind);
  s.gMaxPage = static_cast<std::int16_t>(maxPage);
  s.gCurrentPage = static_cast<std::int16_t>(page);
}

// A grid page on its own share, as the selection page left it; Open loads it.
struct GridSession {
  explicit GridSession(int dayHour = 1, int monthDay = 1, int yearMonth = 1, int keta = 0)
      : share(dayHour, monthDay, yearMonth, keta) {
    share.ReadInto(s, host);
  }
  void Open() {
    doc = std::make_unique<DocGrid>(s, host);
    FireTimers(*doc);
  }
  const FlexGrid& G() const { return doc->Grid(); }
  std::string Caption(const char* id) { return doc->Controls()[id].caption; }
  // Texts of one grid column, rows from..to inclusive.
  std::vector<std::string> Column(int col, int from, int to) const {
    std::vector<std::string> out;
    for (int r = from; r <= to; ++r) out.push_back(G().TextMatrix(r, col));
    return out;
  }

  Share share;
  ClientState s;
  ScriptedHost host;
  std::unique_ptr<DocGrid> doc;
};

}  // namespace tb::testing_share
