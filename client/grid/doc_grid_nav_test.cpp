// Moving around the grid page: periods, pages, the two jumps and the way back.
#include <gtest/gtest.h>

#include <memory>

#include "client/core/messages.h"
#include "client/grid/doc_grid.h"
#include "client/grid/frm_title_itiran.h"
#include "client/grid/grid_test_share.h"

namespace tb {
namespace {

using namespace std::chrono;

struct Nav {
  explicit Nav(int kind, year_month_day date, int maxPage, int page = 1, int western = 1)
      : share(1, 1, 1, 0, western) {
    share.ReadInto(s, host);
    testing_share::SetReport(s, kind, date, maxPage, page);
    doc = std::make_unique<DocGrid>(s, host);
    FireTimers(*doc);
  }
  bool Click(const char* id) {
    const bool handled = doc->Handle({UiEvent::Kind::kClick, id});
    FireTimers(*doc);
    return handled;
  }
  std::string Caption(const char* id) { return doc->Controls()[id].caption; }

  testing_share::Share share;
  ClientState s;
  ScriptedHost host;
  std::unique_ptr<DocGrid> doc;
};

TEST(GridNav, DailyStepsOverTheYearEndInBothYearStyles) {
  Nav western(1, 2003y / 12 / 31, 1);
  western.Click("cmdGo");
  EXPECT_EQ(western.s.gDateKey, "2004/1/1");
  EXPECT_EQ(western.Caption("lblTitle"), "2004年 1月 1日 木曜日");
  western.Click("cmdZen");
  western.Click("cmdZen");
  EXPECT_EQ(western.s.gDateKey, "2003/12/30");

  Nav era(1, 2003y / 12 / 31, 1, 1, 0);
  era.Click("cmdGo");
  EXPECT_EQ(era.Caption("lblTitle"), "平成 16年 1月 1日 木曜日");
}

TEST(GridNav, MonthlyStepsFollowMonthLengths) {
  Nav t(2, 2004y / 1 / 1, 2, 2);
  t.Click("cmdGo");
  EXPECT_EQ(t.s.gDateKey, "2004/2");
  EXPECT_EQ(t.doc->Grid().Rows(), 29 + 8);  // leap year
  EXPECT_EQ(t.Caption("lblPage"), "2/2");    // the page stays
  t.Click("cmdGo");
  EXPECT_EQ(t.doc->Grid().Rows(), 31 + 8);
  EXPECT_EQ(t.Caption("lblTitle"), "2004年 3月");
  for (int i = 0; i < 3; ++i) t.Click("cmdZen");
  EXPECT_EQ(t.s.gDateKey, "2003/12");
  EXPECT_EQ(t.s.gReportDate, 2003y / 12 / 1);
  for (int i = 0; i < 10; ++i) t.Click("cmdZen");
  EXPECT_EQ(t.s.gDateKey, "2003/2");
  EXPECT_EQ(t.s.gColumnCount, 28);
}

TEST(GridNav, YearlyStepsByYear) {
  Nav t(3, 2026y / 1 / 1, 1, 1, 0);
  t.Click("cmdZen");
  EXPECT_EQ(t.s.gDateKey, "2025");
  EXPECT_EQ(t.Caption("lblTitle"), "令和 7年度");
}

TEST(GridNav, PagesWrapBothWaysAndOnePageStaysPut) {
  Nav t(1, 2026y / 3 / 7, 3, 3);
  t.Click("cmdJiPage");
  EXPECT_EQ(t.Caption("lblPage"), "1/3");
  t.Click("cmdZenPage");
  EXPECT_EQ(t.Caption("lblPage"), "3/3");
  t.Click("cmdZenPage");
  EXPECT_EQ(t.Caption("lblPage"), "2/3");
  EXPECT_EQ(t.host.pointer, MousePointer::kDefault);
  EXPECT_TRUE(t.doc->Controls()["grdGrid"].visible);

  Nav one(1, 2026y / 3 / 7, 1);
  one.Click("cmdJiPage");
  one.Click("cmdZenPage");
  EXPECT_EQ(one.s.gCurrentPage, 1);
  EXPECT_TRUE(one.host.pointers.empty());
}

// Two pages that differ everywhere: page 1 has a title and three tags with values, page 2
// no title and one tag, in a column page 1 also uses, with values of its own.
void TwoDifferentPages(testing_share::Share& sh) {
  using testing_share::Tag;
  for (long long id : {11, 12, 13}) {
    sh.AddTag({id, "一頁" + std::to_string(id), "中", "小", "m", "0.0", 0});
    sh.Place(1, 1, static_cast<int>(id - 10), id);
    sh.Put(1, "2026/3/7", id, {{"1" + std::to_string(id), "2", "3"}, "99", "9", "1" + std::to_string(id), "2"});
  }
  sh.AddTag({21, "二頁", "中2", "", "t", "0", 0});
  sh.Place(1, 2, 2, 21);
  sh.Put(1, "2026/3/7", 21, {{"", "", "", "", "500", "400"}, "900", "450", "500", "400"});
  sh.Title(1, 1, "一頁目");
}

// Every text and colour of the grid, for comparing two loads.
std::vector<std::string> Snapshot(const FlexGrid& g) {
  auto colour = [](std::optional<Colour> c) { return c ? std::to_string(*c) : std::string("-"); };
  std::vector<std::string> out;
  for (int r = 0; r < g.Rows(); ++r)
    for (int c = 0; c < g.Cols(); ++c)
      out.push_back(std::to_string(r) + "," + std::to_string(c) + " " + g.TextMatrix(r, c) + " " +
                    colour(g.CellForeColour(r, c)) + " " + colour(g.CellBackColour(r, c)));
  return out;
}

// Page `page` of the daily report of 2026/3/7 (two pages), loaded on a share.
struct LoadedPage {
  LoadedPage(const testing_share::Share& sh, int page) {
    sh.ReadInto(s, host);
    testing_share::SetReport(s, 1, 2026y / 3 / 7, 2, page);
    doc = std::make_unique<DocGrid>(s, host);
    FireTimers(*doc);
  }
  ClientState s;
  ScriptedHost host;
  std::unique_ptr<DocGrid> doc;
};

// A page step from a loaded, scrolled page shows the new page as a fresh load shows it:
// its own tags and values, no cell and no title left of the page before, first column.
TEST(GridNav, APageStepLoadsThatPageAndLeavesNothingOfTheLastOne) {
  testing_share::Share sh;
  TwoDifferentPages(sh);
  LoadedPage stepped(sh, 1);
  DocGrid& doc = *stepped.doc;
  ASSERT_EQ(doc.Grid().TextMatrix(4, 3), "113.0");
  ASSERT_EQ(doc.Controls()["lblPageTitle"].caption, "一頁目");
  doc.Grid().SetLeftCol(9);  // the user scrolled to the right
  doc.Handle({UiEvent::Kind::kClick, "cmdJiPage"});
  // Until the load's tick the last page stays on show, to the browser (the control) and
  // in the grid's own state alike; so does the new page after it.
  const auto onShow = [&] { return std::pair(doc.Controls()["grdGrid"].visible, doc.Grid().Visible()); };
  EXPECT_EQ(onShow(), std::pair(true, true));
  FireTimers(doc);
  EXPECT_EQ(onShow(), std::pair(true, true));

  EXPECT_EQ(doc.Controls()["lblPage"].caption, "2/2");
  EXPECT_EQ(doc.Controls()["lblPageTitle"].caption, "");
  EXPECT_EQ(doc.Grid().LeftCol(), 1);
  EXPECT_EQ(doc.Grid().TextMatrix(0, 2), "二頁");
  EXPECT_EQ(doc.Grid().TextMatrix(8, 2), "500");
  EXPECT_EQ(doc.Grid().TextMatrix(4, 2), "");
  EXPECT_EQ(doc.Grid().TextMatrix(28, 2), "900");
  EXPECT_EQ(Snapshot(doc.Grid()), Snapshot(LoadedPage(sh, 2).doc->Grid()));
}

// Presses the ten-key dialog's keys for `entry`, then 確 定 (or 取 消 when entry is empty).
void TypeOnTenkey(Document& d, const std::string& entry) {
  if (entry.empty()) {
    d.Handle({UiEvent::Kind::kClick, "cmdCancel"});
    return;
  }
  for (char ch : entry) {
    const int key = ch == '.' ? 10 : ch - '0';
    d.Handle({UiEvent::Kind::kClick, "cmdTenKey_" + std::to_string(key)});
  }
  d.Handle({UiEvent::Kind::kClick, "cmdKakutei"});
}

struct JumpCase {
  int id;
  std::string entry;  // "" = cancel
  int page;
};

class GridPageJump : public testing::TestWithParam<JumpCase> {};

TEST_P(GridPageJump, TenkeyEntryChoosesThePage) {
  const auto& p = GetParam();
  Nav t(1, 2026y / 3 / 7, 5, 3);
  std::optional<Colour> colourWhileOpen;
  t.host.onModal = [&](Document& d) {
    colourWhileOpen = t.doc->Controls()["lblPage"].backColour;
    EXPECT_EQ(d.Name(), "frmTenkey");
    TypeOnTenkey(d, p.entry);
  };
  t.Click("lblPage");
  EXPECT_EQ(t.s.gCurrentPage, p.page) << "case " << p.id;
  EXPECT_EQ(t.Caption("lblPage"), std::to_string(p.page) + "/5");
  EXPECT_EQ(colourWhileOpen, kYellow);
  EXPECT_EQ(t.doc->Controls()["lblPage"].backColour, kWhite);
  EXPECT_EQ(t.s.gTenkeyMax, "5");
  EXPECT_EQ(t.s.gTenkeyMin, "1");
}

INSTANTIATE_TEST_SUITE_P(Cases, GridPageJump,
                         testing::Values(JumpCase{1, "2", 2}, JumpCase{2, "2.5", 2},
                                         JumpCase{3, "3.5", 4}, JumpCase{4, "", 3}));

class TitleJump : public testing::Test {
 protected:
  void SetUp() override {
    for (int page : {1, 2, 3, 4}) t.share.Title(1, page, "タイトル" + std::to_string(page));
  }
  Nav t{1, 2026y / 3 / 7, 3};
};

TEST_F(TitleJump, ListShowsEveryTitleAndJumpsToThePickedRow) {
  std::vector<std::string> pages;
  t.host.onModal = [&](Document& d) {
    auto& list = static_cast<FrmTitleItiran&>(d).List();
    for (int r = 0; r < list.Rows(); ++r) pages.push_back(list.TextMatrix(r, 0));
    EXPECT_EQ(d.Caption(), "ページタイトル一覧");
    // It opens on the first row's page cell: what 選択 takes when nothing is picked.
    EXPECT_EQ(std::pair(list.Row(), list.Col()), std::pair(1, 0));
    EXPECT_TRUE(list.Visible());
    EXPECT_EQ(std::pair(list.ColWidth(0), list.ColWidth(1)), std::pair(700, 4700));  // twips
    // Both headings centred; the titles below them start at the left.
    EXPECT_EQ(list.EffectiveAlignment(0, 0), FlexAlign::kCenterCenter);
    EXPECT_EQ(list.EffectiveAlignment(0, 1), FlexAlign::kCenterCenter);
    EXPECT_EQ(list.EffectiveAlignment(2, 1), FlexAlign::kLeftCenter);
    EXPECT_FALSE(d.Handle({UiEvent::Kind::kCellSelect, "MSFlexGrid1", 0, {}, 0, 1}));  // heading
    EXPECT_FALSE(d.Handle({UiEvent::Kind::kCellSelect, "MSFlexGrid1", 0, {}, list.Rows(), 1}));
    EXPECT_FALSE(d.Handle({UiEvent::Kind::kCellSelect, "MSFlexGrid1", 0, {}, 1, 2}));
    EXPECT_TRUE(d.Handle({UiEvent::Kind::kCellSelect, "MSFlexGrid1", 0, {}, 2, 0}));  // its page
    d.Handle({UiEvent::Kind::kClick, "cmd_Find"});
  };
  t.Click("lblPageTitle");
  // Four titles for three pages: the surplus title is listed too.
  EXPECT_EQ(pages, (std::vector<std::string>{"PAGE", "1", "2", "3", "4"}));
  EXPECT_EQ(t.s.gCurrentPage, 2);
  EXPECT_EQ(t.s.gTitleJump, 0);
  EXPECT_EQ(t.Caption("lblPageTitle"), "タイトル2");
}

TEST_F(TitleJump, DoubleClickPicksAndEmptyCellAsksAgain) {
  testing_share::Exec(t.share.Layout(), "DELETE FROM 日報ページタイトル WHERE PAGE <> 3");
  t.host.onModal = [&](Document& d) {
    d.Handle({UiEvent::Kind::kCellSelect, "MSFlexGrid1", 0, {}, 3, 1});  // an empty row
    d.Handle({UiEvent::Kind::kClick, "cmd_Find"});
    EXPECT_FALSE(d.Closed());
    d.Handle({UiEvent::Kind::kDblClick, "MSFlexGrid1", 0, {}, 1, 1});
  };
  t.Click("lblPageTitle");
  EXPECT_EQ(t.host.MessageTexts(), std::vector<std::string>{std::string(msg::kClickTitleCell)});
  EXPECT_EQ(t.s.gCurrentPage, 3);
  EXPECT_EQ(t.Caption("lblPageTitle"), "タイトル3");
}

// A double click on the heading row picks the current cell, as one on a list cell does.
TEST_F(TitleJump, DoubleClickOnTheHeadingPicksTheCurrentRow) {
  t.host.onModal = [&](Document& d) {
    d.Handle({UiEvent::Kind::kCellSelect, "MSFlexGrid1", 0, {}, 2, 1});
    EXPECT_TRUE(d.Handle({UiEvent::Kind::kDblClick, "MSFlexGrid1", 0, {}, 0, 0}));  // on "PAGE"
  };
  t.Click("lblPageTitle");
  EXPECT_TRUE(t.host.messages.empty());
  EXPECT_EQ(t.s.gCurrentPage, 2);
  EXPECT_EQ(t.Caption("lblPageTitle"), "タイトル2");
}

// The end button and the window's own close both close the list and keep the page; a
// closed list takes nothing more.
TEST_F(TitleJump, CloseKeepsThePage) {
  for (const UiEvent close : {UiEvent{UiEvent::Kind::kClick, "cmdEnd"}, UiEvent{UiEvent::Kind::kClose, ""}}) {
    t.host.onModal = [&](Document& d) {
      EXPECT_TRUE(d.Handle(close));
      EXPECT_TRUE(d.Closed());
      EXPECT_FALSE(d.Handle(close));
    };
    const auto loads = t.host.statusTexts.size();
    t.Click("lblPageTitle");
    EXPECT_EQ(t.s.gCurrentPage, 1);
    EXPECT_EQ(t.host.statusTexts.size(), loads);  // no reload
  }
}

TEST(GridNav, EndGoesBackAndPrintCallsTheHook) {
  Nav t(1, 2026y / 3 / 7, 1);
  t.Click("cmdPrint");  // no hook yet: nothing happens
  t.Click("cmdEnd");
  EXPECT_EQ(t.host.goBackCount, 1);
  int printed = 0;
  SetGridPrintHook([&](ClientState&, Host&, DocGrid& d) { printed += d.Name() == "docGrid"; });
  t.Click("cmdPrint");
  SetGridPrintHook(nullptr);
  EXPECT_EQ(printed, 1);
}

TEST(GridNav, CurrentColumnFollowsTheGrid) {
  Nav t(1, 2026y / 3 / 7, 1);
  EXPECT_TRUE(t.doc->Handle({UiEvent::Kind::kCellSelect, "grdGrid", 0, {}, 6, 4}));
  EXPECT_EQ(t.s.gGridCurrentCol, 4);
  EXPECT_FALSE(t.doc->Handle({UiEvent::Kind::kCellSelect, "grdGrid", 0, {}, 1, 5}));
  EXPECT_EQ(t.s.gGridCurrentCol, 4);
  t.doc.reset();
  EXPECT_EQ(t.s.gGridCurrentCol, -1);
}

// Only the page's load timer ticks, and only while a load is due: a tick replayed after the
// load, a click on the timer or a tick naming a button is refused and moves nothing.
TEST(GridNav, OnlyADueLoadTicks) {
  Nav t(1, 2026y / 3 / 7, 1);
  using K = UiEvent::Kind;
  for (const auto& [kind, id] :
       {std::pair{K::kTimer, "Timer1"}, std::pair{K::kClick, "Timer1"}, std::pair{K::kTimer, "cmdGo"}})
    EXPECT_FALSE(t.doc->Handle({kind, id})) << id;
  EXPECT_EQ(t.s.gDateKey, "2026/3/7");
  EXPECT_TRUE(t.doc->Handle({K::kClick, "cmdGo"}));
  EXPECT_TRUE(t.doc->Handle({K::kTimer, "Timer1"}));
  EXPECT_EQ(t.Caption("lblTitle"), "2026年 3月 8日 日曜日");
  EXPECT_FALSE(t.doc->Handle({K::kTimer, "Timer1"}));
}

// A cell is chosen by a click, a double click or the grid's own selection; a key or a text
// change sent to the grid chooses nothing.
TEST(GridNav, CellsAreChosenByClicksAndSelectionOnly) {
  Nav t(1, 2026y / 3 / 7, 1);
  const int left = t.doc->Grid().FixedCols();
  using K = UiEvent::Kind;
  const std::tuple<K, int, bool> events[] = {{K::kClick, left + 1, true},      {K::kDblClick, left + 2, true},
                                             {K::kCellSelect, left + 3, true}, {K::kKeyPress, left + 4, false},
                                             {K::kTextChange, left + 5, false}};
  for (auto [kind, col, chosen] : events) {
    const int before = t.s.gGridCurrentCol;
    EXPECT_EQ(t.doc->Handle({kind, "grdGrid", 0, {}, 6, col}), chosen) << col;
    EXPECT_EQ(t.s.gGridCurrentCol, chosen ? col : before) << col;
  }
}

// Only scrollable cells can be chosen: the corners of that part are, the headings and
// anything past the last row or column are not, nor events for controls the page lacks.
TEST(GridNav, CellsOutsideTheValuePartAreRefused) {
  Nav t(1, 2026y / 3 / 7, 1);
  const FlexGrid& g = t.doc->Grid();
  const int top = g.FixedRows(), left = g.FixedCols(), rows = g.Rows(), cols = g.Cols();
  const std::tuple<int, int, bool> cells[] = {
      {top, left, true},      {rows - 1, cols - 1, true}, {top - 1, left, false},
      {top, left - 1, false}, {rows, left, false},        {top, cols, false},
  };
  for (auto [row, col, chosen] : cells) {
    EXPECT_EQ(t.doc->Handle({UiEvent::Kind::kCellSelect, "grdGrid", 0, {}, row, col}), chosen)
        << row << "," << col;
    if (chosen) {
      EXPECT_EQ(g.Row(), row);
      EXPECT_EQ(t.s.gGridCurrentCol, col);
    }
  }
  EXPECT_FALSE(t.doc->Handle({UiEvent::Kind::kClick, "cmdNone"}));
}

}  // namespace
}  // namespace tb
