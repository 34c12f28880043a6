// A whole display-mode session on the selection page, as a user plays it: the page comes
// up, the user picks 月報, enters the year and the month through the ten-key dialog and
// presses 実行; the grid page will find the report description in the shared state.
#include "client/core/query_texts.h"
#include "client/selection/test_share.h"

#if __has_include("tools/tbseed/seed_share.h")
#include "tools/tbseed/seed_share.h"
#define TB_HAVE_SEEDER 1
#endif

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

#ifdef TB_HAVE_SEEDER
// The same session on the demo share: the description Run leaves finds the seeded
// layout's pages and the seeded values of the month.
TEST(SeededSession, MonthlyReportFindsItsPagesAndValues) {
  TempDir dir;
  tbseed::SeedOptions options;
  options.shareRoot = dir.Path() / "share";
  options.clientDir = dir.Path() / "client";
  options.tags = 40;
  options.years = 1;
  options.endDate = std::chrono::year{2026} / 12 / 7;
  const auto summary = tbseed::SeedShare(options);

  ClientState state;
  state.env.shareRoot = options.shareRoot;
  state.env.clientDir = options.clientDir;
  state.env.jetCacheDir = dir.Path() / "cache";
  ScriptedHost host;
  host.now = At(2026, 12, 7, 9, 30, 0);
  DocMain page(state, host);
  page.Initialize();
  ASSERT_EQ(FireTimers(page), 2);  // Timer1 (start-up) and timDate (clock)
  ASSERT_TRUE(host.messages.empty()) << host.MessageTexts()[0];
  auto click = [&](const std::string& id) { return page.Handle({UiEvent::Kind::kClick, id}); };
  auto enter = [&](const std::string& label, std::vector<std::string> keys) {
    host.onModal = [keys](Document& d) {
      for (const auto& k : keys) d.Handle({UiEvent::Kind::kClick, k});
      d.Handle({UiEvent::Kind::kClick, "cmdKakutei"});
    };
    EXPECT_TRUE(click(label));
  };

  ASSERT_TRUE(click("optGeppou"));
  const bool western = state.gWesternYear != 0;
  if (western) {
    enter("lblYear1_S", {"cmdTenKey_2", "cmdTenKey_0", "cmdTenKey_2", "cmdTenKey_6"});
  } else {
    enter("lblYear1", {"cmdTenKey_3", "cmdTenKey_8"});
  }
  enter("lblMonth1", {"cmdTenKey_1", "cmdTenKey_1"});
  ASSERT_TRUE(click("cmdJikkou"));

  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.navigations, std::vector<std::string>{"http://HOST/docGrid.vbd"});
  EXPECT_EQ(state.gDateKey, "2026/11");
  EXPECT_EQ(state.gColumnCount, 30);
  EXPECT_EQ(state.gPeriodStart, state.gMonthStartDay);
  EXPECT_EQ(state.gMaxPage, summary.plant.layouts[1].maxPage);
  EXPECT_EQ(state.gCurrentPage, 1);

  // Page 1 of the layout and the month's values, as the grid page will read them.
  db::Recordset items;
  ASSERT_TRUE(OpenKanriQuery(state, host, sql::PageQuery(state.gItemSql, 2, 1), items));
  EXPECT_GT(items.RecordCount(), 0u);
  CloseKanriQuery(state, items);
  OpenDataConnection(state);
  auto values = state.gDataCn->Execute(sql::PeriodValues(state.gDataTable, state.gDateKey));
  EXPECT_GT(values.RecordCount(), 0u);
  state.gDataCn->Close();
}
#endif

}  // namespace
}  // namespace tb::testing
