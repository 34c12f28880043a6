// A dense A3 form page printed to PDF through libfmdraw32 (form pass, 360 numeric data
// fields, 50 free texts and lines), against the same device calls issued directly on
// Cairo: the library's calls are recorded once on a trace printer and replayed on a Cairo
// PDF surface. Also the load time of a form file of about 1 MB.
#include <benchmark/benchmark.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

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

void InstallPrinter(const std::string& format) {
  const fs::path out = WorkDir() / "out";
  fs::create_directories(WorkDir() / "win");
  fs::create_directories(out);
  std::ofstream(WorkDir() / "win" / "win.ini") << "[windows]\r\ndevice=B,fmdraw," << out.string() << "\r\n";
  std::ofstream(WorkDir() / "win" / "printers.ini")
      << "[B]\r\nDriver=fmdraw\r\nPort=" << out.string() << "\r\nFormat=" << format << "\r\nDpi=" << kDpi
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

void BM_FormPage_fmdraw32(benchmark::State& state) {
  InstallPrinter("pdf");
  std::array<int32_t, 4> s{};
  int32_t* session = OpenSession(s);
  for (auto _ : state) PrintPage(session);
  FmTerm(session);
  state.SetItemsProcessed(state.iterations());
  fs::remove_all(WorkDir() / "out");
}

// --- the same calls on Cairo directly ---

struct Op {
  char kind;  // P pen, B brush, F font, M move, L line, R rectangle, E ellipse, T text
  double a = 0, b = 0, c = 0, d = 0;
  uint32_t colour = 0;
  bool flag = false;  // pen: none; brush: hollow; font: gothic
  std::string text;
};

std::string Unescape(const std::string& quoted) {
  std::string out;
  for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
    if (quoted[i] == '\\' && i + 2 < quoted.size()) {
      if (quoted[i + 1] == 'x') {
        out.push_back(static_cast<char>(std::stoi(quoted.substr(i + 2, 2), nullptr, 16)));
        i += 3;
      } else {
        out.push_back(quoted[++i]);
      }
    } else {
      out.push_back(quoted[i]);
    }
  }
  return out;
}

uint32_t Hex(const std::string& line, const std::string& key) {
  const auto at = line.find(key);
  return at == std::string::npos ? 0 : static_cast<uint32_t>(std::stoul(line.substr(at + key.size(), 6), nullptr, 16));
}
int Int(const std::string& line, const std::string& key) {
  const auto at = line.find(key);
  return at == std::string::npos ? 0 : std::stoi(line.substr(at + key.size()));
}

std::vector<Op> Parse(std::istream& in) {
  std::vector<Op> ops;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream s(line);
    std::string word;
    s >> word;
    Op op{' '};
    if (word == "SelectPen") op = {'P', double(Int(line, "width=")), 0, 0, 0, Hex(line, "color="), Int(line, "style=") == 5};
    else if (word == "SelectBrush") op = {'B', 0, 0, 0, 0, Hex(line, "color="), line.find("hollow") != std::string::npos};
    else if (word == "SelectFont") op = {'F', double(Int(line, "height=")), 0, 0, 0, 0, line.find("ゴシック") != std::string::npos};
    else if (word == "MoveTo") { op.kind = 'M'; s >> op.a >> op.b; }
    else if (word == "LineTo") { op.kind = 'L'; s >> op.a >> op.b; }
    else if (word == "Rectangle" || word == "RoundRect") { op.kind = 'R'; s >> op.a >> op.b >> op.c >> op.d; }
    else if (word == "Ellipse") { op.kind = 'E'; s >> op.a >> op.b >> op.c >> op.d; }
    else if (word == "TextOut") {
      op.kind = 'T';
      s >> op.a >> op.b;
      std::string rest;
      std::getline(s, rest);
      op.text = Unescape(rest.substr(rest.find('"')));
    }
    if (op.kind != ' ') ops.push_back(op);
  }
  return ops;
}

// The device calls of one page, recorded from the library on a trace printer.
const std::vector<Op>& PageOps() {
  static const std::vector<Op> ops = [] {
    InstallPrinter("trace");
    std::array<int32_t, 4> s{};
    int32_t* session = OpenSession(s);
    PrintPage(session);
    FmTerm(session);
    std::vector<Op> parsed;
    for (const auto& e : fs::directory_iterator(WorkDir() / "out")) {
      std::ifstream in(e.path());
      parsed = Parse(in);
    }
    fs::remove_all(WorkDir() / "out");
    return parsed;
  }();
  return ops;
}

void SetColour(cairo_t* cr, uint32_t c) {
  cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

void Replay(cairo_t* cr, const std::vector<Op>& ops, cairo_font_face_t* mincho, cairo_font_face_t* gothic) {
  Op pen{'P', 1}, brush{'B'};
  double x = 0, y = 0, ascent = 0;
  for (const Op& op : ops) {
    switch (op.kind) {
      case 'P': pen = op; break;
      case 'B': brush = op; break;
      case 'F':
        cairo_set_font_face(cr, op.flag ? gothic : mincho);
        cairo_set_font_size(cr, op.a);
        ascent = op.a * 0.88;
        break;
      case 'M': x = op.a; y = op.b; break;
      case 'L':
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, op.a, op.b);
        x = op.a;
        y = op.b;
        SetColour(cr, pen.colour);
        cairo_set_line_width(cr, std::max(1.0, pen.a));
        cairo_stroke(cr);
        break;
      case 'R':
      case 'E':
        if (op.kind == 'R') {
          cairo_rectangle(cr, op.a, op.b, op.c - op.a, op.d - op.b);
        } else {
          cairo_save(cr);
          cairo_translate(cr, (op.a + op.c) / 2, (op.b + op.d) / 2);
          cairo_scale(cr, (op.c - op.a) / 2, (op.d - op.b) / 2);
          cairo_arc(cr, 0, 0, 1, 0, 6.283185307);
          cairo_restore(cr);
        }
        if (!brush.flag) {
          SetColour(cr, brush.colour);
          cairo_fill_preserve(cr);
        }
        SetColour(cr, pen.colour);
        cairo_set_line_width(cr, std::max(1.0, pen.a));
        if (pen.flag) cairo_new_path(cr);
        else cairo_stroke(cr);
        break;
      case 'T':
        SetColour(cr, 0);
        cairo_move_to(cr, op.a, op.b + ascent);
        cairo_show_text(cr, op.text.c_str());
        break;
      default: break;
    }
  }
}

cairo_status_t Discard(void*, const unsigned char*, unsigned int) { return CAIRO_STATUS_SUCCESS; }

void BM_FormPage_direct_cairo(benchmark::State& state) {
  const std::vector<Op>& ops = PageOps();
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(Discard, nullptr, 297 / 25.4 * 72, 420 / 25.4 * 72);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, 72.0 / kDpi, 72.0 / kDpi);
  cairo_font_face_t* mincho = cairo_toy_font_face_create("IPAMincho", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_font_face_t* gothic = cairo_toy_font_face_create("IPAGothic", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  for (auto _ : state) {
    Replay(cr, ops, mincho, gothic);
    cairo_show_page(cr);
  }
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  cairo_surface_destroy(surface);
  cairo_font_face_destroy(mincho);
  cairo_font_face_destroy(gothic);
  state.SetItemsProcessed(state.iterations());
  state.counters["calls"] = static_cast<double>(ops.size());
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

BENCHMARK(BM_FormPage_fmdraw32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormPage_direct_cairo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadForm_1MB)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(WorkDir());
  return 0;
}
