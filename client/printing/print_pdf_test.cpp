// Report pages printed through the real form library onto folder printers: PDF documents
// read back with pdftotext, and the trace of the red and blue values.
#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "client/core/messages.h"
#include "client/printing/page_hooks.h"
#include "client/printing/print_job.h"
#include "client/printing/print_test_share.h"
#include "client/printing/range_print.h"
#include "tools/reportforms/report_form.h"

namespace tb::print {
namespace {

namespace fs = std::filesystem;
using testing::PrintShare;

bool LibraryCanFill() {
  void* lib = dlopen(TB_FMDRAW, RTLD_NOW | RTLD_LOCAL);
  const bool ok = lib && dlsym(lib, "FmPrintForm") && dlsym(lib, "FmGetFieldInfo") && dlsym(lib, "FmSetLong");
  if (lib) dlclose(lib);
  return ok;
}

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    pclose(p);
  }
  return out;
}

class PrintToFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!LibraryCanFill()) GTEST_SKIP() << "the form library has no field and drawing calls yet";
    out = share.Root() / "printed";
    fs::create_directories(out);
    const auto windir = share.Root() / "windir";
    fs::create_directories(windir);
    setenv("FMDRAW_WINDIR", windir.c_str(), 1);
    ::tb::testing::WriteBytes(windir / "printers.ini",
                              "[Test]\r\nDriver=fmdraw\r\nPort=" + out.string() + "\r\nFormat=" + Format() + "\r\nDpi=300\r\n");
    ::tb::testing::WriteBytes(windir / "win.ini", "[windows]\r\ndevice=Test,fmdraw," + out.string() + "\r\n");
    reportforms::WriteReportForms(share.Share() / "TB_Format");
    share.Describe(s, TB_FMDRAW);
    s.gInkanCount = 4;
    s.gInkanName1 = "場長";
    s.gInkanName2 = "課長";
    s.gInkanName3 = "係長";
    s.gInkanName4 = "担当";
    s.gKetaFlg = 1;
    share.AddPage(1, 1, "取水・沈殿池");
    share.AddItem(1, 1, 1, 1, "取水", "取水量", "1号", "m3/h", "0.0");
    share.AddItem(1, 1, 2, 2, "取水", "取水量", "2号", "m3/h", "0.0");
    share.AddItem(1, 1, 3, 3, "沈殿池", "沈殿水濁度", "", "度", "0.00");
    share.AddItem(1, 1, 4, 4, "沈殿池", "運転時間", "", "時間", "", 6);
    for (const char* key : {"2026/1/31", "2026/2/1", "2026/2/2"}) {
      std::vector<std::string> flow, turbidity, minutes;
      for (int k = 1; k <= 24; ++k) {
        flow.push_back(std::to_string(800 + k * 10));
        turbidity.push_back("0." + std::to_string(10 + k));
        minutes.push_back("60");
      }
      share.AddValues("D_DDAT", key, 1, flow, {"25560", "1065", "1040", "810"});
      share.AddValues("D_DDAT", key, 2, flow, {"25560", "1065", "1040", "810"});
      share.AddValues("D_DDAT", key, 3, turbidity, {"", "0.225", "0.34", "0.11"});
      share.AddValues("D_DDAT", key, 4, minutes, {"1440", "60", "60", "60"});
    }
  }
  virtual std::string Format() const { return "pdf"; }
  std::vector<fs::path> Printed(const std::string& ext) const {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(out))
      if (e.path().string().ends_with(ext)) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
  }

  PrintShare share;
  fs::path out;
  ClientState s;
  ScriptedHost host;
};

TEST_F(PrintToFolder, ThreeDaysGiveThreePdfDocumentsInDateOrder) {
  RunRangePrint(s, host, {2026, 1, 31, 2026, 2, 2});
  EXPECT_TRUE(host.messages.empty());
  const auto pdfs = Printed(".pdf");
  ASSERT_EQ(pdfs.size(), 3u);
  const char* days[] = {"31日土曜日", "1日日曜日", "2日月曜日"};
  for (std::size_t n = 0; n < 3; ++n) {
    // Characters are placed one by one: compare without the blanks between them.
    std::string text = Shell("pdftotext '" + pdfs[n].string() + "' -");
    std::erase_if(text, [](char c) { return c == ' ' || c == '\n'; });
    SCOPED_TRACE(text);
    EXPECT_NE(text.find(days[n]), std::string::npos);
    for (const char* expected : {"取水・沈殿池", "日報", "1/1", "場長", "担当", "取水量", "沈殿水濁度",
                                 "m3/h", "01:00", "24:00", "合計", "810.0", "1,040.0", "25,560.0",
                                 "0.11", "1:00", "24:00", "取水", "沈殿池"})
      EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }
  if (const char* keep = std::getenv("TB_KEEP_PRINTS")) fs::copy_file(pdfs[0], fs::path(keep) / "daily_a3.pdf", fs::copy_options::overwrite_existing);
  const std::string fonts = Shell("pdffonts '" + pdfs[0].string() + "'");
  EXPECT_NE(fonts.find("IPAMincho"), std::string::npos) << fonts;
}

TEST_F(PrintToFolder, RunInPrintModeOffersThePrintedDocumentsInDateOrder) {
  fs::create_directories(out / "older");
  ::tb::testing::WriteBytes(out / "_0000.pdf", "%PDF- an earlier document");
  RangePrintHook()(s, host, {2026, 1, 31, 2026, 2, 2});
  ASSERT_EQ(host.printedDocuments.size(), 3u);
  for (std::size_t n = 0; n < 3; ++n) EXPECT_EQ(host.printedDocuments[n], Printed(".pdf")[n + 1]);
}

class TraceToFolder : public PrintToFolder {
  std::string Format() const override { return "trace"; }
};

// Run offers the PDF documents a job wrote; a trace printer's files are none.
TEST_F(TraceToFolder, OnlyPdfDocumentsAreOffered) {
  RangePrintHook()(s, host, {2026, 2, 1, 2026, 2, 1});
  EXPECT_EQ(Printed(".trace.txt").size(), 1u);
  EXPECT_TRUE(host.printedDocuments.empty());
}

// A text as the trace shows it: its characters' TextOut lines joined, with the colour set
// before them and the x of its last character.
struct TracedText {
  std::string colour, text;
  int lastX = 0, y = 0;
};

std::vector<TracedText> TextsOf(const std::string& trace) {
  std::vector<TracedText> out;
  std::string colour = "000000";
  bool open = false;
  std::istringstream in(trace);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("SetTextColor ", 0) == 0) colour = line.substr(13, 6);
    int x = 0, y = 0;
    char text[64] = {};
    if (std::sscanf(line.c_str(), "TextOut %d %d \"%63[^\"]\"", &x, &y, text) == 3) {
      if (!open || out.back().y != y || out.back().colour != colour) out.push_back({colour, "", 0, y});
      out.back().text += text;
      out.back().lastX = x;
      open = true;
    } else if (line.rfind("SetBkMode", 0) != 0 && line.rfind("SetTextColor", 0) != 0) {
      open = false;
    }
  }
  return out;
}

TEST_F(TraceToFolder, MaximaRedMinimaBlueWhereTheFieldsPutTheirValues) {
  PrintReportPeriod(s, host, std::chrono::year{2026} / 2 / 1);
  const auto traces = Printed(".trace.txt");
  ASSERT_EQ(traces.size(), 1u);
  const auto texts = TextsOf(platform::Cp932ToUtf8(::tb::testing::ReadBytes(traces[0])));
  auto find = [&](const std::string& text) {
    std::vector<TracedText> found;
    for (const auto& t : texts)
      if (t.text == text) found.push_back(t);
    return found;
  };
  // Item 1 and 2: hour 24 is the maximum (red, 0x00BBGGRR), hour 1 the minimum (blue),
  // drawn as free text; the summaries of the same numbers come from fields, in black.
  const auto max = find("1,040.0");
  ASSERT_EQ(max.size(), 4u);
  EXPECT_EQ(max[0].colour, "0000FF");
  EXPECT_EQ(max[1].colour, "000000");  // MAX_1
  EXPECT_EQ(max[2].colour, "0000FF");
  EXPECT_EQ(max[3].colour, "000000");  // MAX_2
  const auto min = find("0.11");
  ASSERT_EQ(min.size(), 2u);
  EXPECT_EQ(min[0].colour, "FF0000");
  // Free text ends where the field ends its text: the column edge of the field values (one
  // dot of rounding between the library's two conversions of the field's twips).
  const auto hour23 = find("1,030.0");
  ASSERT_EQ(hour23.size(), 2u);
  EXPECT_EQ(hour23[0].colour, "000000");
  EXPECT_NEAR(hour23[0].lastX, max[0].lastX, 1);
  // ... and on its row: one row below hour 23 as hour 23 is below hour 22.
  EXPECT_NEAR(max[0].y - hour23[0].y, hour23[0].y - find("1,020.0").at(0).y, 1);
  EXPECT_NEAR(find("0.12").at(0).lastX, min[0].lastX, 1);
  // The constant item (60 minutes each hour) ends black: red first, then black over it.
  const auto constant = find("1:00");
  ASSERT_GE(constant.size(), 48u);
  EXPECT_EQ(constant[0].colour, "0000FF");
  EXPECT_EQ(constant[24].colour, "000000");
  EXPECT_EQ(constant[24].lastX, constant[0].lastX);
}

}  // namespace
}  // namespace tb::print

namespace tb::print {
namespace {

// On every paper, a red maximum and a blue minimum drawn as free text end where the
// value fields end theirs, on the row of their field: the report forms and the client's
// layout values agree. The range print knows A3 and A4; every paper prints from the grid
// page, loaded here on the same share.
TEST_F(TraceToFolder, FreeTextAndFieldValuesShareTheirColumnOnEveryPaper) {
  s.gDateKey = "2026/2/1";
  s.gDateCaption = "2026年 2月 1日 日曜日";
  s.gPeriodUnit = "時";
  s.gCurrentPage = 1;
  DocGrid grid(s, host);
  FireTimers(grid);
  DocGridView view(grid);
  for (const char* size : {"A3", "A4", "B4", "B5", "10"}) {
    for (const bool range : {true, false}) {
      if (range && std::string(size) != "A3" && std::string(size) != "A4") continue;
      SCOPED_TRACE(std::string(size) + (range ? " range" : " page"));
      for (const auto& f : Printed(".trace.txt")) fs::remove(f);
      s.gPaperSize = size;
      if (range) {
        PrintReportPeriod(s, host, std::chrono::year{2026} / 2 / 1);
      } else {
        host.msgBoxAnswers.push_back(MsgBoxResult::kYes);
        PrintGridPage(s, host, view);
      }
      const auto traces = Printed(".trace.txt");
      ASSERT_EQ(traces.size(), 1u);
      const auto texts = TextsOf(platform::Cp932ToUtf8(::tb::testing::ReadBytes(traces[0])));
      auto first = [&](const std::string& text) {
        for (const auto& t : texts)
          if (t.text == text) return t;
        ADD_FAILURE() << text;
        return TracedText{};
      };
      const TracedText max = first("1,040.0"), hour23 = first("1,030.0"), hour22 = first("1,020.0");
      const TracedText min = first("0.11"), hour2 = first("0.12");
      EXPECT_EQ(max.colour, "0000FF");
      EXPECT_EQ(min.colour, "FF0000");
      EXPECT_NEAR(max.lastX, hour23.lastX, 1);
      EXPECT_NEAR(min.lastX, hour2.lastX, 1);
      EXPECT_NEAR(max.y - hour23.y, hour23.y - hour22.y, 1);
      EXPECT_GT(max.y, hour23.y);
    }
  }
  EXPECT_THAT(host.MessageTexts(), ::testing::Each(std::string(msg::kPrintThisPage)));
}

}  // namespace
}  // namespace tb::print
