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
#include "client/printing/print_folder_fixture.h"
#include "client/printing/print_job.h"
#include "client/printing/range_print.h"

namespace tb::print {
namespace {

using testing::PrintToFolder;
using testing::Shell;
namespace fs = std::filesystem;

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

// A text as the trace shows it: the characters of its TextRun line joined, with the
// colour set before it and the x of its last character.
struct TracedText {
  std::string colour, text;
  int lastX = 0, y = 0;
};

std::vector<TracedText> TextsOf(const std::string& trace) {
  std::vector<TracedText> out;
  std::string colour = "000000";
  std::istringstream in(trace);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("SetTextColor ", 0) == 0) colour = line.substr(13, 6);
    int count = 0, used = 0;
    if (std::sscanf(line.c_str(), "TextRun %d%n", &count, &used) != 1) continue;
    TracedText t{colour, "", 0, 0};
    const char* p = line.c_str() + used;
    char text[64] = {};
    for (int x = 0, y = 0; count > 0 && std::sscanf(p, " %d,%d \"%63[^\"]\"%n", &x, &y, text, &used) == 3;
         --count, p += used) {
      t.text += text;
      t.lastX = x;
      t.y = y;
    }
    out.push_back(t);
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
