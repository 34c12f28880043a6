// A dense A3 form page printed to PDF through libfmdraw32 (form pass, 360 numeric data
// fields, 50 free texts and lines), against the same page drawn straight on Cairo: the
// library's calls are recorded once on a trace printer and replayed on a Cairo PDF
// surface, with one glyph call per text (the baseline) and with one text call per
// character (the earlier way). Also the page on a PNG printer, the library's PNG writer
// against Cairo's, and the load time of a form file of about 1 MB. TB_KEEP_PRINTS=DIR keeps the trace,
// the PDFs and a PNG there.
#include <benchmark/benchmark.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/cairo_replay.h"
#include "bench/page_worker.h"
#include "bench/ratio_reporter.h"
#include "formdraw/device/png_writer.h"
#include "formdraw/fmdraw32.h"
#include "formdraw/form/form_data.h"
#include "formdraw/form/form_writer.h"
#include "platform/codepage.h"

namespace fs = std::filesystem;
namespace form = fmdraw::form;

namespace {

constexpr int kDpi = 300;
constexpr int kFieldColumns = 20, kFieldRows = 18;  // 360 data fields

fs::path WorkDir() {
  static const fs::path dir = fs::temp_directory_path() / ("form_render_bench_" + std::to_string(::getpid()));
  return dir;
}

void Put16(std::vector<uint8_t>& a, std::size_t at, int v) { form::PutI16(a.data() + at, v); }

// Appends a zeroed record of `kind` and returns its offset.
std::size_t NewRecord(form::FormData& f, int kind) {
  const std::size_t at = f.arrays[kind].size();
  f.arrays[kind].resize(at + form::kRecordSize[kind], 0);
  ++f.counts[kind];
  return at;
}

void InOrder(form::FormData& f, int kind) {
  const std::size_t at = NewRecord(f, form::kOrder);
  Put16(f.arrays[0], at, 1);
  Put16(f.arrays[0], at + 2, kind);
  Put16(f.arrays[0], at + 4, f.counts[kind] - 1);
}

std::string FieldName(int i) {
  char name[8];
  std::snprintf(name, sizeof name, "F%03d", i);
  return name;
}

// An A3 portrait form: a grid of 40 lines, 30 boxes, 30 static texts, and 360 data fields
// in 20 columns of 18 rows (twips; the page is 16838 x 23811).
form::FormData DenseForm() {
  form::FormData f;
  f.text.head = {"#Formvista Ver4.00", "8,0", "", "", ""};
  f.text.fonts = {{1, platform::Utf8ToCp932("ＭＳ 明朝"), 0, 17, 128},
                  {2, platform::Utf8ToCp932("ＭＳ ゴシック"), 0, 17, 128}};
  for (int i = 0; i < 40; ++i) {
    auto& a = f.arrays[form::kLine];
    const std::size_t at = NewRecord(f, form::kLine);
    Put16(a, at, 1);
    Put16(a, at + 6, 2);
    const bool across = i < 20;
    Put16(a, at + 8, across ? 720 : 720 + (i - 20) * 770);
    Put16(a, at + 10, across ? 1440 + i * 1100 : 1440);
    Put16(a, at + 12, across ? 16100 : 720 + (i - 20) * 770);
    Put16(a, at + 14, across ? 1440 + i * 1100 : 22300);
    Put16(a, at + 16, 1);
    InOrder(f, form::kLine);
  }
  for (int i = 0; i < 30; ++i) {
    auto& a = f.arrays[form::kBox];
    const std::size_t at = NewRecord(f, form::kBox);
    Put16(a, at, 1);
    Put16(a, at + 6, 3);
    Put16(a, at + 8, i % 3 == 0 ? 8 : 1);
    Put16(a, at + 10, i % 4);
    Put16(a, at + 12, 800 + (i % 10) * 1540);
    Put16(a, at + 14, 22400 + (i / 10) * 400);
    Put16(a, at + 16, 800 + (i % 10) * 1540 + 1400);
    Put16(a, at + 18, 22400 + (i / 10) * 400 + 300);
    Put16(a, at + 20, 1);
    Put16(a, at + 22, 1);
    form::PutI32(a.data() + at + 28, 0xFFFFFF);
    InOrder(f, form::kBox);
  }
  for (int i = 0; i < 30; ++i) {
    auto& a = f.arrays[form::kText];
    const std::size_t at = NewRecord(f, form::kText);
    const std::string text = platform::Utf8ToCp932("見出し項目") + std::to_string(i);
    Put16(a, at, static_cast<int>(text.size()));
    Put16(a, at + 2, 800 + (i % 10) * 1540);
    Put16(a, at + 4, 800 + (i / 10) * 200);
    Put16(a, at + 6, 1500);
    Put16(a, at + 8, 200);
    Put16(a, at + 10, 1 + i % 2);
    a[at + 12] = 9;
    a[at + 16] = 1;
    a[at + 19] = 1 + i % 3;
    a[at + 20] = 1;
    a[at + 25] = a[at + 26] = 128;
    std::copy(text.begin(), text.end(), a.begin() + static_cast<long>(at) + 28);
    InOrder(f, form::kText);
  }
  for (int i = 0; i < kFieldColumns * kFieldRows; ++i) {
    auto& a = f.arrays[form::kDataField];
    const std::size_t at = NewRecord(f, form::kDataField);
    const std::string format = "ZZZ,ZZ9.99", name = FieldName(i);
    Put16(a, at, static_cast<int>(format.size()));
    Put16(a, at + 4, 760 + (i % kFieldColumns) * 770);
    Put16(a, at + 6, 1500 + (i / kFieldColumns) * 1100);
    Put16(a, at + 8, 740);
    Put16(a, at + 10, 200);
    Put16(a, at + 12, 1);
    a[at + 21] = 8;
    a[at + 28] = 2;
    a[at + 29] = 1;
    a[at + 34] = a[at + 35] = 128;
    std::copy(format.begin(), format.end(), a.begin() + static_cast<long>(at) + 36);
    std::copy(name.begin(), name.end(), a.begin() + static_cast<long>(at) + 68);
  }
  return f;
}

void WriteFile(const fs::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                           static_cast<std::streamsize>(bytes.size()));
}

void InstallPrinter(const std::string& format, int dpi = kDpi) {
  const fs::path out = WorkDir() / "out";
  fs::create_directories(WorkDir() / "win");
  fs::create_directories(out);
  std::ofstream(WorkDir() / "win" / "win.ini") << "[windows]\r\ndevice=B,fmdraw," << out.string() << "\r\n";
  std::ofstream(WorkDir() / "win" / "printers.ini")
      << "[B]\r\nDriver=fmdraw\r\nPort=" << out.string() << "\r\nFormat=" << format << "\r\nDpi=" << dpi
      << "\r\nColor=2\r\nPaperSize=8\r\n";
  ::setenv("FMDRAW_WINDIR", (WorkDir() / "win").c_str(), 1);
}

fs::path FormFile() {
  static const fs::path file = [] {
    fs::create_directories(WorkDir());
    const fs::path p = WorkDir() / "dense.fed";
    WriteFile(p, form::BuildFormFile(DenseForm(), {1, 2, 3, 4, 5, 6}));
    return p;
  }();
  return file;
}

// One page: the form, the 360 fields, 50 free texts and lines.
void PrintPage(int32_t* session) {
  FmPrintForm(nullptr, session);
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (int i = 0; i < kFieldColumns * kFieldRows; ++i) n.push_back(FieldName(i));
    return n;
  }();
  for (std::size_t i = 0; i < names.size(); ++i)
    FmPrintDataField(names[i].c_str(), std::to_string(1234567 + 37 * i).insert(5, ".").c_str(), session);
  FmSetFont(300, 300, 2, 0, 0, session);
  FmSetLine(0, 20, session);
  for (int i = 0; i < 50; ++i) {
    FmPrintText(1500 + (i % 5) * 5000, 36000 + (i / 5) * 500, 4500, 1, 1, "Remark text 123", session);
    FmPrintLine(1500 + (i % 5) * 5000, 36400 + (i / 5) * 500, 6000 + (i % 5) * 5000, 36400 + (i / 5) * 500,
                session);
  }
  FmPrintOut(session);
}

int32_t* OpenSession(std::array<int32_t, 4>& s) {
  const int rc = FmInit(0, 0, 1, 100, 0, 0, 0, 0, 0, 0, FormFile().c_str(), "", s.data());
  if (rc != 0) throw std::runtime_error("FmInit failed: " + std::to_string(rc));
  return s.data();
}

// The output folder emptied; with TB_KEEP_PRINTS=DIR its last file is kept there as `name`.
void KeepOrRemoveOutputs(const std::string& name) {
  const char* keep = std::getenv("TB_KEEP_PRINTS");
  for (const auto& e : fs::directory_iterator(WorkDir() / "out")) {
    if (keep != nullptr) fs::copy_file(e.path(), fs::path(keep) / name, fs::copy_options::overwrite_existing);
    fs::remove(e.path());
  }
}

void FormPage_fmdraw32(benchmark::State& state, bool pageWorker) {
  const bench::PageWorker worker(pageWorker);
  InstallPrinter("pdf");
  std::array<int32_t, 4> s{};
  int32_t* session = OpenSession(s);
  for (auto _ : state) PrintPage(session);
  FmTerm(session);
  state.SetItemsProcessed(state.iterations());
  KeepOrRemoveOutputs("form_render_bench.pdf");
  fs::remove_all(WorkDir() / "out");
}

void BM_FormPage_fmdraw32(benchmark::State& state) { FormPage_fmdraw32(state, true); }
void BM_FormPage_fmdraw32_one_thread(benchmark::State& state) { FormPage_fmdraw32(state, false); }

// --- the same page straight on Cairo ---

// The page's device calls, recorded once from the library on a trace printer; with
// TB_KEEP_PRINTS=DIR the trace is kept there.
const bench::CairoReplay& PageReplay() {
  static const std::unique_ptr<bench::CairoReplay> replay = [] {
    InstallPrinter("trace");
    std::array<int32_t, 4> s{};
    int32_t* session = OpenSession(s);
    PrintPage(session);
    FmTerm(session);
    std::unique_ptr<bench::CairoReplay> r;
    for (const auto& e : fs::directory_iterator(WorkDir() / "out")) {
      std::ifstream in(e.path());
      r = std::make_unique<bench::CairoReplay>(in);
      if (const char* keep = std::getenv("TB_KEEP_PRINTS"))
        fs::copy_file(e.path(), fs::path(keep) / "form_render_bench.trace.txt", fs::copy_options::overwrite_existing);
    }
    fs::remove_all(WorkDir() / "out");
    if (!r) throw std::runtime_error("the trace printer wrote nothing");
    return r;
  }();
  return *replay;
}

cairo_status_t Discard(void*, const unsigned char*, unsigned int) { return CAIRO_STATUS_SUCCESS; }

// Pages drawn on one PDF surface of the A3 page size at 300 dpi, as the library's are;
// with TB_KEEP_PRINTS=DIR the document is written there as `keptName`.
void ReplayPages(benchmark::State& state, bench::TextMode mode, const std::string& keptName) {
  const bench::CairoReplay& replay = PageReplay();
  constexpr double kWidth = 297 / 25.4 * 72, kHeight = 420 / 25.4 * 72;
  const char* keep = std::getenv("TB_KEEP_PRINTS");
  cairo_surface_t* surface =
      keep != nullptr ? cairo_pdf_surface_create((fs::path(keep) / keptName).c_str(), kWidth, kHeight)
                      : cairo_pdf_surface_create_for_stream(Discard, nullptr, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, 72.0 / kDpi, 72.0 / kDpi);
  for (auto _ : state) {
    replay.Draw(cr, mode);
    cairo_show_page(cr);
  }
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  cairo_surface_destroy(surface);
  state.SetItemsProcessed(state.iterations());
  state.counters["calls"] = static_cast<double>(replay.Calls());
  state.counters["characters"] = static_cast<double>(replay.Characters());
}

// Baseline: one glyph call per text, glyphs and positions worked out in advance.
void BM_FormPage_cairo_glyph_runs(benchmark::State& state) { ReplayPages(state, bench::TextMode::kGlyphRuns, "form_render_bench_cairo_glyph_runs.pdf");
}

// The earlier way: one text call per character.
void BM_FormPage_cairo_per_character(benchmark::State& state) {
  ReplayPages(state, bench::TextMode::kPerCharacter, "form_render_bench_cairo_per_character.pdf");
}

// The same page on a PNG printer (argument: dpi), drawing and writing the picture: at 300
// dpi as printed, at 100 dpi as a preview on screen.
void BM_FormPage_fmdraw32_png(benchmark::State& state) {
  InstallPrinter("png", static_cast<int>(state.range(0)));
  std::array<int32_t, 4> s{};
  int32_t* session = OpenSession(s);
  for (auto _ : state) {
    PrintPage(session);
    state.PauseTiming();
    KeepOrRemoveOutputs("form_render_bench_" + std::to_string(state.range(0)) + "dpi.png");
    state.ResumeTiming();
  }
  FmTerm(session);
  state.SetItemsProcessed(state.iterations());
  fs::remove_all(WorkDir() / "out");
}

// Writing one printed A3 page at 300 dpi as PNG: the library's writer against Cairo's own.
// Argument 1 puts one red dot on the page, so the writer cannot use greyscale.
cairo_surface_t* PrintedPicture(bool colour) {
  static cairo_surface_t* grey = [] {
    InstallPrinter("png");
    std::array<int32_t, 4> s{};
    int32_t* session = OpenSession(s);
    PrintPage(session);
    FmTerm(session);
    cairo_surface_t* p = nullptr;
    for (const auto& e : fs::directory_iterator(WorkDir() / "out")) p = cairo_image_surface_create_from_png(e.path().c_str());
    fs::remove_all(WorkDir() / "out");
    return p;
  }();
  static cairo_surface_t* red = [] {
    cairo_surface_t* p = cairo_image_surface_create(CAIRO_FORMAT_RGB24, cairo_image_surface_get_width(grey),
                                                    cairo_image_surface_get_height(grey));
    cairo_t* cr = cairo_create(p);
    cairo_set_source_surface(cr, grey, 0, 0);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 100, 100, 1, 1);
    cairo_fill(cr);
    cairo_destroy(cr);
    return p;
  }();
  return colour ? red : grey;
}

void BM_WritePng_fmdraw32(benchmark::State& state) {
  const std::string path = (WorkDir() / "page.png").string();
  cairo_surface_t* picture = PrintedPicture(state.range(0) != 0);
  for (auto _ : state)
    if (fmdraw::device::WritePng(picture, path) != fmdraw::device::PngResult::kOk)
      state.SkipWithError("the page could not be written");
  state.counters["bytes"] = static_cast<double>(fs::file_size(path));
}

void BM_WritePng_cairo(benchmark::State& state) {
  const std::string path = (WorkDir() / "page.png").string();
  cairo_surface_t* picture = PrintedPicture(state.range(0) != 0);
  for (auto _ : state) cairo_surface_write_to_png(picture, path.c_str());
  state.counters["bytes"] = static_cast<double>(fs::file_size(path));
}

// A form file of about 1 MB: every record array near its 65,535-byte limit and the text
// part filled with skipped record lines.
void BM_LoadForm_1MB(benchmark::State& state) {
  form::FormData f = DenseForm();
  for (int kind = 1; kind < form::kFileKinds; ++kind) {
    if (kind == form::kImage) continue;  // image records name files
    while (f.arrays[kind].size() + form::kRecordSize[kind] <= 65535) NewRecord(f, kind);
  }
  while (f.arrays[0].size() + 6 <= 65535) NewRecord(f, 0);
  f.text.recordLines.clear();
  std::vector<uint8_t> bytes = form::BuildFormFile(f, {1, 2, 3, 4, 5, 6});
  const std::string head = "#Formvista Ver4.00\r\n8,0\r\n\r\n\r\n\r\n";
  std::string filler;
  while (bytes.size() + filler.size() < 1000000) filler += "350," + std::string(400, 'x') + "\r\n";
  bytes.insert(bytes.begin() + static_cast<long>(head.size()), filler.begin(), filler.end());
  for (auto _ : state) {
    form::FormData loaded;
    if (form::LoadForm(bytes, loaded) != 0) state.SkipWithError("form did not load");
    benchmark::DoNotOptimize(loaded);
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}

BENCHMARK(BM_FormPage_fmdraw32)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_FormPage_fmdraw32_one_thread)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_FormPage_cairo_glyph_runs)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_FormPage_cairo_per_character)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK(BM_FormPage_fmdraw32_png)->Arg(300)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePng_fmdraw32)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePng_cairo)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadForm_1MB)->Unit(benchmark::kMillisecond);

}  // namespace

// --profile-pages=N prints N pages to PDF and nothing else, for profilers (perf, callgrind
// with --toggle-collect='*PrintPage*').
bool ProfilePages(int argc, char** argv) {
  const std::string flag = "--profile-pages=";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind(flag, 0) != 0) continue;
    InstallPrinter("pdf");
    std::array<int32_t, 4> s{};
    int32_t* session = OpenSession(s);
    for (int page = std::stoi(arg.substr(flag.size())); page > 0; --page) PrintPage(session);
    FmTerm(session);
    return true;
  }
  return false;
}

int main(int argc, char** argv) {
  if (ProfilePages(argc, argv)) {
    fs::remove_all(WorkDir());
    return 0;
  }
  bench::RunWithRatios(argc, argv,
                       {{"BM_FormPage_fmdraw32", "BM_FormPage_cairo_glyph_runs"},
                        {"BM_FormPage_fmdraw32_one_thread", "BM_FormPage_cairo_glyph_runs"},
                        {"BM_FormPage_cairo_per_character", "BM_FormPage_cairo_glyph_runs"},
                        {"BM_WritePng_fmdraw32/0", "BM_WritePng_cairo/0"},
                        {"BM_WritePng_fmdraw32/1", "BM_WritePng_cairo/1"}});
  fs::remove_all(WorkDir());
  return 0;
}
