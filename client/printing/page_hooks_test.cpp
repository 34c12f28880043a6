// The grid page's print button and Run's print mode reach the print jobs.
#include "client/printing/page_hooks.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "client/printing/print_test_share.h"

namespace tb::print {
namespace {

using ::testing::ElementsAre;
using testing::FakeLibrary;
using testing::PrintShare;

TEST(PageHooks, PrintButtonPrintsTheGridAsItShowsIt) {
  PrintShare share;
  setenv("FMDRAW_WINDIR", (share.Root() / "windir").c_str(), 1);
  ClientState s;
  share.Describe(s, TB_FAKE_FMDRAW);
  s.gColumnCount = 1;
  s.gCurrentPage = 1;
  ScriptedHost host;
  FakeLibrary fake;
  fake.SetField("DATA2_1", 10, 20, 110, 40);
  InstallGridPrintHook();
  DocGrid doc(s, host);
  auto& g = doc.Grid();
  g.SetRows(s.gColumnCount + 8);
  g.SetCols(16);
  g.SetTextMatrix(1, 1, "取水量");
  g.SetTextMatrix(4, 1, "12.5");
  g.SetTextMatrix(4, 2, "99.0");
  g.SetCellForeColour(4, 2, kRed);
  doc.Controls()["lblTitle"].caption = "2026年 3月 7日 土曜日";
  doc.Controls()["lblPageTitle"].caption = "取水";

  doc.Handle({UiEvent::Kind::kClick, "cmdPrint"});

  EXPECT_THAT(fake.Lines("FmPrintDataField \"B_MIDASHI\""), ElementsAre("FmPrintDataField \"B_MIDASHI\" \"取水\""));
  EXPECT_THAT(fake.Lines("FmPrintDataField \"M_KOMOKU1\""), ElementsAre("FmPrintDataField \"M_KOMOKU1\" \"取水量\""));
  EXPECT_THAT(fake.Lines("FmPrintDataField \"DATA1_1\""), ElementsAre("FmPrintDataField \"DATA1_1\" \"12.5\""));
  EXPECT_THAT(fake.Lines("FmPrintText 10"), ElementsAre("FmPrintText 10 20 100 1 2 \"99.0\""));
  EXPECT_TRUE(doc.Grid().Visible());
  SetGridPrintHook(nullptr);
}

TEST(PageHooks, RangePrinterTakesTheDateLabels) {
  PrintShare share;
  setenv("FMDRAW_WINDIR", (share.Root() / "windir").c_str(), 1);
  ClientState s;
  share.Describe(s, TB_FAKE_FMDRAW);
  share.AddPage(1, 1, "");
  ScriptedHost host;
  FakeLibrary fake;
  RangePrintHook()(s, host, {2026, 2, 28, 2026, 3, 1});
  EXPECT_THAT(fake.Lines("FmPrintDataField \"M_MIDASHI\""),
              ElementsAre("FmPrintDataField \"M_MIDASHI\" \"2026年 2月 28日 土曜日\"",
                          "FmPrintDataField \"M_MIDASHI\" \"2026年 3月 1日 日曜日\""));
}

}  // namespace
}  // namespace tb::print
