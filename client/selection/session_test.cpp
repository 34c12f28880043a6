// A whole display-mode session on the selection page, as a user plays it: the page comes
// up, the user picks 月報, enters the year and the month through the ten-key dialog and
// presses 実行; the grid page will find the report description in the shared state.
#include "client/core/query_texts.h"
#include "client/selection/test_share.h"

namespace tb::testing {
namespace {

class Session : public SelectionPage {};

TEST_F(Session, MonthlyReportThroughTheTenkeyDialog) {
  host.locationUrl = "http://plant-srv:8080/docMain.vbd";
  Start();
  ASSERT_TRUE(host.messages.empty());
  EXPECT_EQ(Cap("lblTitle"), "第一工場 運転日報");

  ASSERT_TRUE(Click("optGeppou"));
  EXPECT_FALSE(Click("lblDay1"));  // 月報: the day takes no clicks

  auto year = Enter("lblYear1_S", "2024");
  EXPECT_EQ(year.shownMin + ".." + year.shownMax, "1997..2050");
  auto month = Enter("lblMonth1", "2");
  EXPECT_EQ(month.shownEntry, "12");  // today's month offered first
  EXPECT_EQ(Cap("lblYear1_S") + "/" + Cap("lblMonth1"), "2024/2");
  EXPECT_EQ(host.modalDialogs, (std::vector<std::string>{"frmTenkey", "frmTenkey"}));

  ASSERT_TRUE(Click("cmdJikkou"));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.navigations, std::vector<std::string>{"http://plant-srv:8080/docGrid.vbd"});
  EXPECT_EQ(host.statusText, "月報ページ情報読込中・・・");
  EXPECT_EQ(host.pointer, MousePointer::kDefault);

  // What the grid page reads.
  EXPECT_EQ(state.gServerFolder, "\\\\plant-srv:8080\\vurodor");
  EXPECT_EQ(state.gReportKind, 2);
  EXPECT_EQ(state.gDateKey, "2024/2");
  EXPECT_EQ(state.gReportDate, (std::chrono::year{2024} / 2 / 1));
  EXPECT_EQ(state.gDateCaption, "2024年 2月");
  EXPECT_EQ(state.gColumnCount, 29);
  EXPECT_EQ(state.gPeriodStart, 1);
  EXPECT_EQ(state.gPeriodUnit, "日");
  EXPECT_EQ(state.gDataTable, "D_MDAT");
  EXPECT_EQ(state.gItemSql, sql::ItemQuery(2));
  EXPECT_EQ(state.gMaxPage, 2);
  EXPECT_EQ(state.gCurrentPage, 1);
  EXPECT_EQ(state.gPaperSize, "A3");
  EXPECT_NE(state.gConnectString.find("RIVove.mdb"), std::string::npos);
  EXPECT_FALSE(state.gKanriCn);  // the layout connection is closed again
}

}  // namespace
}  // namespace tb::testing
