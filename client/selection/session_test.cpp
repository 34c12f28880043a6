// A whole display-mode session on the demo share, as a user plays it: the page comes up,
// the user picks 月報, enters the year and the month through the ten-key dialog and
// presses 実行; the grid page finds the report description in the shared state, and the
// layout and the values it names are there.
#include "client/core/query_texts.h"
#include "client/selection/test_share.h"
#include "tools/tbseed/seed_share.h"

namespace tb::testing {
namespace {

class SeededSession : public ::testing::Test {
 protected:
  void SetUp() override {
    options.shareRoot = dir.Path() / "share";
    options.clientDir = dir.Path() / "client";
    options.tags = 40;
    options.years = 1;
    options.endDate = std::chrono::year{2026} / 12 / 7;
    summary = tbseed::SeedShare(options);
    state.env.shareRoot = options.shareRoot;
    state.env.clientDir = options.clientDir;
    state.env.jetCacheDir = dir.Path() / "cache";
    host.locationUrl = "http://plant-srv:8080/docMain.vbd";
    host.now = At(2026, 12, 7, 9, 30, 0);
  }
  bool Click(const std::string& id) { return page->Handle({UiEvent::Kind::kClick, id}); }
  // Clicks a date label and types `digits` on the pad, then 確 定; returns the bounds shown.
  std::string Enter(const std::string& label, const std::string& digits) {
    std::string bounds;
    host.onModal = [&](Document& d) {
      bounds = d.Controls()["lblMinData"].caption + ".." + d.Controls()["lblMaxData"].caption;
      for (char c : digits) d.Handle({UiEvent::Kind::kClick, std::string("cmdTenKey_") + c});
      d.Handle({UiEvent::Kind::kClick, "cmdKakutei"});
    };
    EXPECT_TRUE(Click(label));
    return bounds;
  }

  TempDir dir;
  tbseed::SeedOptions options;
  tbseed::SeedSummary summary;
  ClientState state;
  ScriptedHost host;
  std::unique_ptr<DocMain> page;
};

TEST_F(SeededSession, MonthlyReportThroughTheTenkeyDialog) {
  page = std::make_unique<DocMain>(state, host);
  page->Initialize();
  ASSERT_EQ(FireTimers(*page), 2);  // Timer1 (start-up) and timDate (clock)
  ASSERT_TRUE(host.messages.empty()) << host.MessageTexts()[0];
  EXPECT_EQ(page->Controls()["lblTitle"].caption, "中央浄水場 運転管理帳票");
  ASSERT_NE(state.gWesternYear, 0);  // the demo share shows western years

  ASSERT_TRUE(Click("optGeppou"));
  EXPECT_FALSE(Click("lblDay1"));  // 月報: the day takes no clicks
  EXPECT_EQ(Enter("lblYear1_S", "2026"), "1997..2050");
  EXPECT_EQ(Enter("lblMonth1", "11"), "1..12");
  EXPECT_EQ(host.modalDialogs, (std::vector<std::string>{"frmTenkey", "frmTenkey"}));
  ASSERT_TRUE(Click("cmdJikkou"));

  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.navigations, std::vector<std::string>{"http://plant-srv:8080/docGrid.vbd"});
  EXPECT_EQ(host.statusText, "月報ページ情報読込中・・・");
  EXPECT_EQ(host.pointer, MousePointer::kDefault);
  EXPECT_EQ(state.gServerFolder, "\\\\plant-srv:8080\\vurodor");
  EXPECT_EQ(state.gReportKind, 2);
  EXPECT_EQ(state.gDateKey, "2026/11");
  EXPECT_EQ(state.gReportDate, std::chrono::year{2026} / 11 / 1);
  EXPECT_EQ(state.gDateCaption, "2026年 11月");
  EXPECT_EQ(state.gColumnCount, 30);
  EXPECT_EQ(state.gPeriodStart, state.gMonthStartDay);
  EXPECT_EQ(state.gPeriodUnit, "日");
  EXPECT_EQ(state.gDataTable, "D_MDAT");
  EXPECT_EQ(state.gItemSql, sql::ItemQuery(2));
  EXPECT_EQ(state.gMaxPage, summary.plant.layouts[1].maxPage);
  EXPECT_EQ(state.gCurrentPage, 1);
  EXPECT_FALSE(state.gKanriCn);  // the layout connection is closed again

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

}  // namespace
}  // namespace tb::testing
