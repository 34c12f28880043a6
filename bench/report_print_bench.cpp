// Report printing: a month of daily reports (31 periods, every page of the demo layout)
// printed to PDF through the form library, as Run in print mode does it, against the same
// pages with the form's static content only (FmPrintForm and FmPrintOut in one session a
// period, no database, no fields): the baseline says what filling the pages costs.
// Run: build/bin/report_print_bench (it seeds a demo share in a temporary folder).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "client/core/client_state.h"
#include "client/core/query_texts.h"
#include "client/core/scripted_host.h"
#include "client/printing/fmdraw_api.h"
#include "client/printing/range_print.h"
#include "bench/page_worker.h"
#include "tools/tbseed/seed_share.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPeriods = 31;  // October 2026

struct Demo {
  fs::path root, out;
  int pages = 0;    // gMaxPage
  int printed = 0;  // pages listed for printing
};

void WriteText(const fs::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

// A seeded share, the PDF folder printer as the default printer, and the page count.
const Demo& DemoShare() {
  static const Demo demo = [] {
    Demo d;
    d.root = fs::temp_directory_path() / ("report_print_bench_" + std::to_string(::getpid()));
    d.out = d.root / "printed";
    fs::create_directories(d.out);
    tbseed::SeedOptions o;
    o.shareRoot = d.root / "share";
    o.clientDir = d.root / "client";
    o.endDate = std::chrono::year{2026} / 11 / 30;
    const auto& layout = tbseed::SeedShare(o).plant.layouts[0];
    d.pages = layout.maxPage;
    d.printed = static_cast<int>(layout.printPages.size());
    const fs::path windir = d.root / "windir";
    fs::create_directories(windir);
    WriteText(windir / "printers.ini", "[Bench]\r\nDriver=fmdraw\r\nPort=" + d.out.string() +
                                           "\r\nFormat=pdf\r\nDpi=600\r\n");
    WriteText(windir / "win.ini", "[windows]\r\ndevice=Bench,fmdraw," + d.out.string() + "\r\n");
    setenv("FMDRAW_WINDIR", windir.c_str(), 1);
    return d;
  }();
  return demo;
}

fs::path FormLibrary() { return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "lib" / "libfmdraw32.so"; }

void Describe(tb::ClientState& s, tb::Host& host, const Demo& d) {
  s.env = {d.root / "share", d.root / "client", d.root / "cache", FormLibrary()};
  tb::SetServerLocation(s, "http://HOST/docMain.vbd");
  tb::ReadSettings(s, host);
  s.gReportKind = 1;
  s.gColumnCount = 24;
  s.gPeriodStart = s.gDayStartHour;
  s.gDataTable = "D_DDAT";
  s.gItemSql = tb::sql::ItemQuery(1);
  s.gMaxPage = static_cast<std::int16_t>(d.pages);
}

// Removes the printed documents; with TB_KEEP_PRINTS set, the last one is kept there.
void ClearPrinted(const Demo& d) {
  const char* keep = std::getenv("TB_KEEP_PRINTS");
  for (const auto& e : fs::directory_iterator(d.out)) {
    if (keep) fs::copy_file(e.path(), fs::path(keep) / "report_print_bench.pdf", fs::copy_options::overwrite_existing);
    fs::remove(e.path());
  }
}

void MonthOfDailyReports(benchmark::State& state, bool pageWorker) {
  const Demo& d = DemoShare();
  const bench::PageWorker worker(pageWorker);
  for (auto _ : state) {
    tb::ClientState s;
    tb::ScriptedHost host;
    Describe(s, host, d);
    tb::print::RunRangePrint(s, host, {2026, 10, 1, 2026, 10, kPeriods});
    if (!host.messages.empty()) {  // the print failed: say why, and stop timing it
      state.SkipWithError(host.messages.front().text.c_str());
      break;
    }
    state.PauseTiming();
    ClearPrinted(d);
    state.ResumeTiming();
  }
  state.counters["pages"] = d.printed * kPeriods;
  state.counters["pages_per_s"] = benchmark::Counter(static_cast<double>(d.printed * kPeriods) * state.iterations(),
                                                     benchmark::Counter::kIsRate);
}

void BM_MonthOfDailyReports(benchmark::State& state) { MonthOfDailyReports(state, true); }
void BM_MonthOfDailyReports_OneThread(benchmark::State& state) { MonthOfDailyReports(state, false); }

void BM_Baseline_FormsOnly(benchmark::State& state) {
  const Demo& d = DemoShare();
  const auto& api = tb::print::BindFormLibrary(FormLibrary());
  const std::string form = (d.root / "share" / "TB_Format" / "DFmt_A3.fed").string();
  for (auto _ : state) {
    for (int period = 0; period < kPeriods; ++period) {
      std::array<std::int32_t, 4> session{};
      api.FmSetPrinterDriver(0x40000203, 2, 8, 0, 0, 0, 0, 256, 0, 0, 0, 0, 0, session.data());
      if (api.FmInit(0, 0, 1, 100, 0, 0, 0, 0, 0, 0, form.c_str(), "", session.data()) != 0)
        state.SkipWithError("FmInit failed");
      for (int page = 0; page < d.printed; ++page) {
        api.FmPrintForm("", session.data());
        api.FmPrintOut(session.data());
      }
      api.FmTerm(session.data());
    }
    state.PauseTiming();
    ClearPrinted(d);
    state.ResumeTiming();
  }
  state.counters["pages_per_s"] = benchmark::Counter(static_cast<double>(d.printed * kPeriods) * state.iterations(),
                                                     benchmark::Counter::kIsRate);
}

BENCHMARK(BM_Baseline_FormsOnly)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_MonthOfDailyReports)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_MonthOfDailyReports_OneThread)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
