// The archive against what a person gets from the client on the same share: the PDF of a
// period reads (pdftotext) exactly like the one Run in print mode prints for it, and every
// page CSV has the bytes of the grid page's export of that page. The client is played as
// a user plays it: kind and dates through the ten-key dialog, Run, the grid's 出力.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>

#include "client/archive/archive_test_share.h"
#include "client/core/scripted_host.h"
#include "client/grid/doc_grid.h"
#include "client/printing/page_hooks.h"
#include "client/selection/doc_main.h"

namespace tb::archive {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using testing::At;

std::string PdfText(const fs::path& pdf) {
  std::string out;
  if (FILE* p = popen(("pdftotext -layout '" + pdf.string() + "' - 2>/dev/null").c_str(), "r")) {
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    pclose(p);
  }
  return out;
}

class ArchiveMatchesClient : public ::testing::Test {
 protected:
  void SetUp() override {
    auto o = share.Options(TB_FMDRAW, year{2026} / 2 / 1, At(2026, 3, 10, 12));
    o.plan.kinds = {Kind::kMonthly};
    std::ostringstream out, err;
    ASSERT_EQ(RunArchive(o, out, err), kExitDone) << err.str();
    o.plan.kinds = {Kind::kDaily};
    o.plan.from = year{2026} / 3 / 9;
    ASSERT_EQ(RunArchive(o, out, err), kExitDone) << err.str();

    // The plant's own default printer: a PDF folder printer (the archive's printer has
    // the same resolution).
    printed = share.Root() / "printed";
    const fs::path windir = share.Root() / "windir";
    fs::create_directories(printed);
    ::tb::testing::WriteBytes(windir / "printers.ini", "[Plant]\r\nDriver=fmdraw\r\nPort=" + printed.string() +
                                                           "\r\nFormat=pdf\r\nDpi=600\r\n");
    ::tb::testing::WriteBytes(windir / "win.ini", "[windows]\r\ndevice=Plant,fmdraw," + printed.string() + "\r\n");
    setenv("FMDRAW_WINDIR", windir.c_str(), 1);

    state.env = {share.Share(), share.Client(), share.Root() / "cache", TB_FMDRAW};
    host.locationUrl = "http://plant-srv/docMain.vbd";
    host.now = At(2026, 3, 10, 12);
    page = std::make_unique<DocMain>(state, host);
    page->SetRangePrinter(print::RangePrintHook());
    page->Initialize();
    FireTimers(*page);
    ASSERT_TRUE(host.messages.empty()) << host.MessageTexts()[0];
  }

  void Click(const std::string& id) { ASSERT_TRUE(page->Handle({UiEvent::Kind::kClick, id})) << id; }
  void Enter(const std::string& label, const std::string& digits) {
    host.onModal = [&](Document& d) {
      for (char c : digits) d.Handle({UiEvent::Kind::kClick, std::string("cmdTenKey_") + c});
      d.Handle({UiEvent::Kind::kClick, "cmdKakutei"});
    };
    Click(label);
  }
  // Run in print mode from `first` to `last` (row 2 and row 3 of the date labels).
  void PrintRange(const std::string& kind, const std::string& year, const std::string& month,
                  const std::string& day) {
    Click(kind);
    Click("optPrint");
    for (const char* row : {"2", "3"}) {
      Enter(std::string("lblYear") + row + "_S", year);
      Enter(std::string("lblMonth") + row, month);
      if (kind == "optNippou") Enter(std::string("lblDay") + row, day);
    }
    Click("cmdJikkou");
    ASSERT_TRUE(host.messages.empty()) << host.MessageTexts()[0];
  }
  // The grid page's CSV export of `pageNo` of the period on row 1, as bytes.
  std::string GridExport(const std::string& kind, const std::string& year, const std::string& month,
                         const std::string& day, int pageNo) {
    Click(kind);
    Click("optSyuusei");
    Enter("lblYear1_S", year);
    Enter("lblMonth1", month);
    if (kind == "optNippou") Enter("lblDay1", day);
    Click("cmdJikkou");
    state.gCurrentPage = static_cast<std::int16_t>(pageNo);
    DocGrid grid(state, host);
    FireTimers(grid);
    const fs::path file = share.Root() / "export.csv";
    host.saveAnswers.push_back(file.string());
    grid.cmdOut_Click();
    EXPECT_TRUE(host.messages.empty()) << host.MessageTexts()[0];
    return ::tb::testing::ReadBytes(file);
  }
  [[nodiscard]] fs::path OnlyPrinted() const {
    std::vector<fs::path> pdfs;
    for (const auto& e : fs::directory_iterator(printed)) pdfs.push_back(e.path());
    EXPECT_EQ(pdfs.size(), 1u);
    return pdfs.empty() ? fs::path() : pdfs.front();
  }

  testing::ArchiveShare share;
  fs::path printed;
  ClientState state;
  ScriptedHost host;
  std::unique_ptr<DocMain> page;
};

TEST_F(ArchiveMatchesClient, TheDailyPdfReadsLikeTheRangePrintOfThatDay) {
  PrintRange("optNippou", "2026", "3", "9");
  const std::string printedText = PdfText(OnlyPrinted());
  ASSERT_NE(printedText.find("2026年 3月 9日 月曜日"), std::string::npos) << printedText;
  EXPECT_EQ(PdfText(share.Archive() / "daily/2026/03/2026-03-09.pdf"), printedText);
}

TEST_F(ArchiveMatchesClient, TheMonthlyPdfReadsLikeTheRangePrintOfThatMonth) {
  PrintRange("optGeppou", "2026", "2", "");
  const std::string printedText = PdfText(OnlyPrinted());
  ASSERT_NE(printedText.find("2026年 2月"), std::string::npos) << printedText;
  EXPECT_EQ(PdfText(share.Archive() / "monthly/2026/2026-02.pdf"), printedText);
}

TEST_F(ArchiveMatchesClient, EveryPageCsvHasTheBytesOfTheGridExport) {
  for (int pageNo : {1, 2}) {
    SCOPED_TRACE(pageNo);
    const std::string exported = GridExport("optNippou", "2026", "3", "9", pageNo);
    ASSERT_GT(exported.size(), 1000u);
    EXPECT_EQ(::tb::testing::ReadBytes(share.Archive() / ("daily/2026/03/2026-03-09/2603090" +
                                                          std::to_string(pageNo) + ".csv")),
              exported);
  }
  EXPECT_EQ(::tb::testing::ReadBytes(share.Archive() / "monthly/2026/2026-02/260201.csv"),
            GridExport("optGeppou", "2026", "2", "", 1));
}

}  // namespace
}  // namespace tb::archive
