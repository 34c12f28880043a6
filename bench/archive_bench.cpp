// The report archive: a year of daily reports (365 periods, every page listed for
// printing, on the demo share) archived from scratch by tbarchive's pass, against the
// same year printed by Run in print mode onto a PDF folder printer. The baseline is the
// print work alone; the difference is what the archive adds (the page CSVs through the
// grid page's load, fingerprints, flushing every file, manifests). The counters give
// periods per second and the time of a second pass, which has nothing to write but
// compares every archived period with the database.
// Run: build/bin/archive_bench (it seeds a demo share in a temporary folder).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "client/archive/archive_run.h"
#include "client/core/query_texts.h"
#include "client/core/scripted_host.h"
#include "client/printing/range_print.h"
#include "tools/tbseed/seed_share.h"

namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

constexpr int kPeriods = 365;  // 2025-04-01 .. 2026-03-31

struct Demo {
  fs::path root;
  ~Demo() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

fs::path FormLibrary() {
  return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "lib" / "libfmdraw32.so";
}

const Demo& DemoShare() {
  static const Demo demo = [] {
    Demo d;
    d.root = fs::temp_directory_path() / ("archive_bench_" + std::to_string(::getpid()));
    tbseed::SeedOptions o;
    o.shareRoot = d.root / "share";
    o.clientDir = d.root / "client";
    o.endDate = year{2026} / 4 / 2;
    (void)tbseed::SeedShare(o);
    return d;
  }();
  return demo;
}

tb::archive::RunOptions YearOfDays(const Demo& d, const fs::path& archive) {
  tb::archive::RunOptions o;
  o.env = {d.root / "share", d.root / "client", d.root / "cache", FormLibrary()};
  o.archiveRoot = archive;
  o.plan.kinds = {tb::archive::Kind::kDaily};
  o.plan.from = year{2025} / 4 / 1;
  o.plan.now = tb::LocalTime{local_days{year{2026} / 4 / 1}.time_since_epoch()} + hours{12};
  o.maxPeriods = 1000;
  return o;
}

void BM_Baseline_RangePrintYear(benchmark::State& state) {
  const Demo& d = DemoShare();
  const fs::path out = d.root / "printed";
  const fs::path windir = d.root / "windir";
  fs::create_directories(out);
  fs::create_directories(windir);
  std::ofstream(windir / "printers.ini") << "[Bench]\r\nDriver=fmdraw\r\nPort=" << out.string()
                                          << "\r\nFormat=pdf\r\nDpi=600\r\n";
  std::ofstream(windir / "win.ini") << "[windows]\r\ndevice=Bench,fmdraw," << out.string() << "\r\n";
  for (auto _ : state) {
    setenv("FMDRAW_WINDIR", windir.c_str(), 1);
    tb::ClientState s;
    tb::ScriptedHost host;
    s.env = {d.root / "share", d.root / "client", d.root / "cache", FormLibrary()};
    tb::SetServerLocation(s, "http://HOST/docMain.vbd");
    tb::ReadSettings(s, host);
    s.gReportKind = 1;
    s.gColumnCount = 24;
    s.gPeriodStart = s.gDayStartHour;
    s.gDataTable = "D_DDAT";
    s.gItemSql = tb::sql::ItemQuery(1);
    s.gMaxPage = 8;  // the demo layout's daily pages (5 of them listed for printing)
    tb::print::RunRangePrint(s, host, {2025, 4, 1, 2026, 3, 31});
    if (!host.messages.empty()) state.SkipWithError(host.messages.front().text.c_str());
    state.PauseTiming();
    fs::remove_all(out);
    fs::create_directories(out);
    state.ResumeTiming();
  }
  state.counters["periods_per_s"] = benchmark::Counter(kPeriods * static_cast<double>(state.iterations()),
                                                       benchmark::Counter::kIsRate);
}

void BM_ArchiveYearFromScratch(benchmark::State& state) {
  const Demo& d = DemoShare();
  double secondPassMs = 0;
  for (auto _ : state) {
    const fs::path archive = d.root / "archive";
    std::ostringstream out, err;
    if (tb::archive::RunArchive(YearOfDays(d, archive), out, err) != 0) state.SkipWithError(err.str().c_str());
    state.PauseTiming();
    const auto t0 = steady_clock::now();
    if (tb::archive::RunArchive(YearOfDays(d, archive), out, err) != 0) state.SkipWithError(err.str().c_str());
    secondPassMs = duration<double, std::milli>(steady_clock::now() - t0).count();
    fs::remove_all(archive);
    state.ResumeTiming();
  }
  state.counters["periods_per_s"] = benchmark::Counter(kPeriods * static_cast<double>(state.iterations()),
                                                       benchmark::Counter::kIsRate);
  state.counters["second_pass_ms"] = secondPassMs;
}

BENCHMARK(BM_Baseline_RangePrintYear)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ArchiveYearFromScratch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
