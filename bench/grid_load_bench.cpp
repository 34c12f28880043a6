// Load of one daily grid page (15 tags: the first page with every column used) on a share
// seeded with 1,000 tags and 10 years of values, against the same look-ups made straight through sqlite3 (open the layout
// database twice for the title and the page query, open the data database, one value
// query per tag, read every field). The timer's 100 ms delay is not part of the load.
//
// The share is seeded once into $TB_BENCH_DIR (default: a folder under the temp dir) and
// reused by later runs.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "client/core/client_state.h"
#include "client/core/query_texts.h"
#include "client/core/scripted_host.h"
#include "client/grid/doc_grid.h"
#include "client/grid/period_step.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

fs::path SeededShare() {
  const char* env = std::getenv("TB_BENCH_DIR");
  const fs::path dir = env ? fs::path(env) : fs::temp_directory_path() / "tb_bench_share_1000x10";
  if (!fs::exists(dir / "share" / "Vurodor.ini")) {
    fs::create_directories(dir);
    const std::string cmd = std::string(TBSEED_PATH) + " --share-root '" + (dir / "share").string() +
                            "' --client-dir '" + (dir / "client").string() +
                            "' --tags 1000 --years 10 > /dev/null";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("tbseed failed: " + cmd);
  }
  return dir;
}

struct Rows {
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
};

// Rows of one query as texts, read the way the database layer reads them.
Rows Query(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
    throw std::runtime_error(sqlite3_errmsg(db));
  Rows out;
  const int cols = sqlite3_column_count(st);
  for (int c = 0; c < cols; ++c) out.columns.emplace_back(sqlite3_column_name(st, c));
  while (sqlite3_step(st) == SQLITE_ROW) {
    auto& row = out.rows.emplace_back();
    for (int c = 0; c < cols; ++c) {
      const auto* t = sqlite3_column_text(st, c);
      row.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
    }
  }
  sqlite3_finalize(st);
  return out;
}

sqlite3* OpenReadOnly(const fs::path& p) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(p.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    throw std::runtime_error("cannot open " + p.string());
  return db;
}

struct Fixture {
  fs::path dir = SeededShare();
  fs::path layout = dir / "share" / "TB_DataBase" / "Vurodor.mdb";
  fs::path data = dir / "share" / "TB_DataBase" / "RIVove.mdb";
  tb::ClientState s;
  tb::ScriptedHost host;

  int page = 1;

  // The report as Run leaves it: daily, the newest seeded day, the first page that has
  // all 15 columns filled.
  Fixture() {
    s.env.shareRoot = dir / "share";
    s.env.clientDir = dir / "client";
    s.env.jetCacheDir = dir / "cache";
    tb::SetServerLocation(s, "http://HOST/docMain.vbd");
    tb::ReadSettings(s, host);
    sqlite3* db = OpenReadOnly(data);
    const auto key = Query(db, "SELECT DATE FROM D_DDAT ORDER BY rowid DESC LIMIT 1").rows.at(0).at(0);
    sqlite3_close(db);
    db = OpenReadOnly(layout);
    page = std::stoi(Query(db, "SELECT ページNO FROM 日報情報 GROUP BY ページNO HAVING COUNT(*) = 15 "
                               "ORDER BY ページNO LIMIT 1").rows.at(0).at(0));
    sqlite3_close(db);
    int y = 0, m = 0, d = 0;
    std::sscanf(key.c_str(), "%d/%d/%d", &y, &m, &d);
    using namespace std::chrono;
    const year_month_day date{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
    s.gReportKind = 1;
    s.gReportDate = date;
    s.gDateKey = tb::PeriodKey(1, date);
    s.gDateCaption = tb::PeriodCaption(1, date, s.gWesternYear);
    s.gColumnCount = 24;
    s.gPeriodStart = s.gDayStartHour;
    s.gPeriodUnit = "時";
    s.gDataTable = "D_DDAT";
    s.gItemSql = tb::sql::ItemQuery(1);
    s.gMaxPage = static_cast<std::int16_t>(page);
    s.gCurrentPage = static_cast<std::int16_t>(page);
  }

  // The look-ups of one load, straight through sqlite3; returns the number of tags.
  std::size_t BareLookups() const {
    sqlite3* kanri = OpenReadOnly(layout);
    benchmark::DoNotOptimize(Query(kanri, tb::sql::PageTitle(1, page)));
    sqlite3_close(kanri);
    sqlite3* dataDb = OpenReadOnly(data);
    kanri = OpenReadOnly(layout);
    const auto tags = Query(kanri, tb::sql::PageQuery(s.gItemSql, 1, page));
    const auto idCol = static_cast<std::size_t>(
        std::find(tags.columns.begin(), tags.columns.end(), "TAG_ID") - tags.columns.begin());
    for (const auto& tag : tags.rows)
      benchmark::DoNotOptimize(
          Query(dataDb, tb::sql::TagValues("D_DDAT", s.gDateKey, std::stoll(tag.at(idCol)))));
    sqlite3_close(kanri);
    sqlite3_close(dataDb);
    return tags.rows.size();
  }
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

template <class F>
double Seconds(F&& f) {
  const auto t0 = Clock::now();
  f();
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

void BM_GridPageLoad(benchmark::State& state) {
  static Fixture fx;
  tb::DocGrid doc(fx.s, fx.host);
  std::vector<double> load, bare;
  for (auto _ : state) {
    doc.StartPageLoad();
    const double t = Seconds([&] { doc.Timer1_Timer(); });
    state.SetIterationTime(t);
    load.push_back(t);
  }
  std::size_t tags = 0;
  for (std::size_t i = 0; i < load.size(); ++i) bare.push_back(Seconds([&] { tags = fx.BareLookups(); }));
  const double loadMedian = Median(load), bareMedian = Median(bare);
  state.counters["tags"] = static_cast<double>(tags);
  state.counters["load_median_ms"] = loadMedian * 1e3;
  state.counters["sqlite_median_ms"] = bareMedian * 1e3;
  state.counters["ratio"] = bareMedian > 0 ? loadMedian / bareMedian : 0;
  if (doc.Grid().TextMatrix(4, 15).empty()) state.SkipWithError("column 15 shows no value");
}
BENCHMARK(BM_GridPageLoad)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace

BENCHMARK_MAIN();
