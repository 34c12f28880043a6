// Run (cmdJikkou) and period stepping (cmdJiPage / cmdZenPage) on the selection page.
#include <tuple>

#include "client/core/query_texts.h"
#include "client/selection/test_share.h"

namespace tb::testing {
namespace {

using std::chrono::year_month_day;
constexpr year_month_day Ymd(int y, unsigned m, unsigned d) {
  return year_month_day{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
}

class Run : public SelectionPage {
 protected:
  // Start-up, the kind, row 1's year (current style), month and day.
  void Prepare(const char* kind, const char* year, const char* month, const char* day) {
    Start();
    ASSERT_TRUE(Click(kind));
    const bool western = state.gWesternYear != 0;
    Ctl(western ? "lblYear1_S" : "lblYear1").caption = year;
    Ctl("lblMonth1").caption = month;
    Ctl("lblDay1").caption = day;
  }
};

struct RunCase {
  int line;
  const char* yearMode;
  const char* kind;
  const char *year, *month, *day;
  int kindNo;
  const char* table;
  const char* key;
  year_month_day reportDate;
  const char* caption;
  int columns;
  int periodStart;
  const char* unit;
  int maxPage;
  const char* status;
};

TEST_F(Run, DisplayModePerKind) {
  const RunCase cases[] = {
      {__LINE__, "1", "optNippou", "2026", "3", "7", 1, "D_DDAT", "2026/3/7", Ymd(2026, 3, 7),
       "2026年 3月 7日 土曜日", 24, 1, "時", 3, "日報ページ情報読込中・・・"},
      {__LINE__, "0", "optGeppou", "8", "2", "30", 2, "D_MDAT", "1996/2", Ymd(1996, 2, 1),
       "平成 8年 2月", 29, 1, "日", 2, "月報ページ情報読込中・・・"},
      {__LINE__, "1", "optGeppou", "2026", "11", "7", 2, "D_MDAT", "2026/11", Ymd(2026, 11, 1),
       "2026年 11月", 30, 1, "日", 2, "月報ページ情報読込中・・・"},
      // No yearly layout rows: MAXP is Null and gMaxPage keeps its value (7 below).
      {__LINE__, "0", "optNenpou", "38", "13", "40", 3, "D_YDAT", "2026", Ymd(2026, 1, 1),
       "令和 8年度", 12, 4, "月", 7, "年報ページ情報読込中・・・"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    share.SetVurodor("Mode", "Year", c.yearMode);
    state.gMaxPage = 7;
    state.gCurrentPage = 5;
    host.navigations.clear();
    host.pointers.clear();
    Prepare(c.kind, c.year, c.month, c.day);
    ASSERT_TRUE(Click("cmdJikkou"));
    EXPECT_TRUE(host.messages.empty()) << host.MessageTexts()[0];
    EXPECT_EQ(state.gReportKind, c.kindNo);
    EXPECT_EQ(state.gDataTable, c.table);
    EXPECT_EQ(state.gDateKey, c.key);
    EXPECT_EQ(state.gReportDate, c.reportDate);
    EXPECT_EQ(state.gDateCaption, c.caption);
    EXPECT_EQ(state.gColumnCount, c.columns);
    EXPECT_EQ(state.gPeriodStart, c.periodStart);
    EXPECT_EQ(state.gPeriodUnit, c.unit);
    EXPECT_EQ(state.gItemSql, sql::ItemQuery(c.kindNo));
    EXPECT_EQ(state.gMaxPage, c.maxPage);
    EXPECT_EQ(state.gCurrentPage, 1);
    EXPECT_EQ(host.statusText, c.status);
    EXPECT_EQ(host.navigations, std::vector<std::string>{"http://HOST/docGrid.vbd"});
    EXPECT_EQ(host.pointers,
              (std::vector<MousePointer>{MousePointer::kHourglass, MousePointer::kDefault}));
  }
}

TEST_F(Run, DayTheMonthDoesNotHaveIsReported) {
  state.gMaxPage = 7;
  Prepare("optNippou", "2026", "2", "30");
  ASSERT_TRUE(Click("cmdJikkou"));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            "ｴﾗｰ番号  13TB_Client でｴﾗｰが発生しました。\r型が一致しません。");
  EXPECT_EQ(host.messages[0].caption, "確認");
  EXPECT_EQ(host.pointer, MousePointer::kDefault);
  EXPECT_TRUE(host.navigations.empty());
  EXPECT_TRUE(host.statusTexts.empty());
  EXPECT_EQ(state.gMaxPage, 7);
}

TEST_F(Run, UnreachableLayoutDatabaseStillNavigates) {
  std::filesystem::remove(share.LayoutDb());
  state.gMaxPage = 4;
  Prepare("optNippou", "2026", "3", "7");
  ASSERT_TRUE(Click("cmdJikkou"));
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{"データベースが接続できません。"});
  EXPECT_EQ(state.gMaxPage, 4);
  EXPECT_EQ(state.gDateKey, "2026/3/7");
  EXPECT_EQ(host.navigations, std::vector<std::string>{"http://HOST/docGrid.vbd"});
  EXPECT_EQ(host.pointer, MousePointer::kDefault);
}

TEST_F(Run, KindFlagZeroOpensTheBinDocument) {
  share.SetTbWeb("KIND", "FLG", "0");
  Prepare("optNippou", "2026", "3", "7");
  ASSERT_TRUE(Click("cmdJikkou"));
  EXPECT_EQ(host.navigations, std::vector<std::string>{"http://HOST/docGrid.bin"});
}

TEST_F(Run, PrintModeHandsTheRangeToThePrinter) {
  share.SetVurodor("Mode", "Year", "0");
  Prepare("optGeppou", "38", "3", "7");
  ASSERT_TRUE(Click("optPrint"));
  Ctl("lblYear2").caption = "37";
  Ctl("lblMonth2").caption = "11";
  Ctl("lblDay2").caption = "15";
  Ctl("lblYear3").caption = "38";
  Ctl("lblMonth3").caption = "2";
  Ctl("lblDay3").caption = "1";
  int calls = 0;
  RangeLabels got;
  page->SetRangePrinter([&](ClientState& s, Host&, const RangeLabels& labels) {
    ++calls;
    got = labels;
    EXPECT_EQ(s.gMaxPage, 2);  // Run's steps 1 to 5 are done
    EXPECT_EQ(s.gDataTable, "D_MDAT");
  });
  ASSERT_TRUE(Click("cmdJikkou"));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(std::tie(got.startYear, got.startMonth, got.startDay), std::tuple(2025, 11, 15));
  EXPECT_EQ(std::tie(got.endYear, got.endMonth, got.endDay), std::tuple(2026, 2, 1));
  EXPECT_EQ(state.gDateKey, "2026/3");  // row 1, read in print mode too
  EXPECT_TRUE(host.navigations.empty());
  // A day the dialog took as a decimal does not read as a day: 0, no valid date.
  Ctl("lblDay3").caption = "2.5";
  ASSERT_TRUE(Click("cmdJikkou"));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(std::tie(got.endYear, got.endMonth, got.endDay), std::tuple(2026, 2, 0));
}

TEST_F(Run, PrintModeWithoutPrinterEndsAfterThePageCount) {
  Prepare("optNippou", "2026", "3", "7");
  ASSERT_TRUE(Click("optPrint"));
  ASSERT_TRUE(Click("cmdJikkou"));
  EXPECT_EQ(state.gMaxPage, 3);
  EXPECT_TRUE(host.navigations.empty());
  EXPECT_EQ(host.pointer, MousePointer::kDefault);
}

// Period stepping: kind, mode, year style, the dates before and after.
struct StepCase {
  int line;
  const char* kind;
  bool print;
  const char* yearMode;
  const char* button;
  const char* before;  // row (1 or 2) as year/month/day of the current style
  const char* after;   // the same row after the click
};

class Stepping : public Run {
 protected:
  std::string RowText(int row) {
    const auto n = std::to_string(row);
    const bool western = state.gWesternYear != 0;
    return Cap(western ? "lblYear" + n + "_S" : "lblYear" + n) + "/" + Cap("lblMonth" + n) + "/" +
           Cap("lblDay" + n);
  }
  void SetRow(int row, const std::string& ymd) {
    const auto n = std::to_string(row);
    const auto a = ymd.find('/'), b = ymd.rfind('/');
    const bool western = state.gWesternYear != 0;
    Ctl(western ? "lblYear" + n + "_S" : "lblYear" + n).caption = ymd.substr(0, a);
    Ctl("lblMonth" + n).caption = ymd.substr(a + 1, b - a - 1);
    Ctl("lblDay" + n).caption = ymd.substr(b + 1);
  }
};

TEST_F(Stepping, AcrossMonthAndYearEnds) {
  const StepCase cases[] = {
      {__LINE__, "optNippou", false, "1", "cmdJiPage", "2024/2/28", "2024/2/29"},
      {__LINE__, "optNippou", false, "1", "cmdJiPage", "2024/2/29", "2024/3/1"},
      {__LINE__, "optNippou", false, "1", "cmdJiPage", "2026/3/31", "2026/4/1"},
      {__LINE__, "optNippou", false, "0", "cmdJiPage", "36/12/31", "37/1/1"},
      {__LINE__, "optNippou", false, "1", "cmdZenPage", "2026/1/1", "2025/12/31"},
      {__LINE__, "optNippou", false, "1", "cmdZenPage", "2023/3/1", "2023/2/28"},
      {__LINE__, "optGeppou", false, "1", "cmdZenPage", "2026/1/20", "2025/12/20"},
      {__LINE__, "optGeppou", false, "0", "cmdJiPage", "38/12/5", "39/1/5"},
      {__LINE__, "optNenpou", false, "1", "cmdJiPage", "2026/4/9", "2027/4/9"},
      {__LINE__, "optNenpou", false, "0", "cmdZenPage", "1/6/9", "0/6/9"},
      {__LINE__, "optNippou", true, "1", "cmdJiPage", "2026/12/31", "2027/1/1"},
      {__LINE__, "optGeppou", true, "0", "cmdZenPage", "38/1/15", "37/12/15"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    share.SetVurodor("Mode", "Year", c.yearMode);
    Start();
    ASSERT_TRUE(Click(c.kind));
    if (c.print) {
      ASSERT_TRUE(Click("optPrint"));
    }
    const int row = c.print ? 2 : 1;
    SetRow(row, c.before);
    SetRow(3, "2030/6/6");
    const std::string otherStyle = Cap(state.gWesternYear != 0 ? "lblYear1" : "lblYear1_S");
    ASSERT_TRUE(Click(c.button));
    EXPECT_EQ(RowText(row), c.after);
    // Print mode writes the end row too, with the labels of the kind (the day of a daily
    // report included); a label the kind does not write keeps its value.
    if (c.print) {
      const std::string after = c.after;
      const std::string kept = after.substr(0, after.rfind('/')) + "/6";
      EXPECT_EQ(RowText(3), std::string(c.kind) == "optNippou" ? after : kept);
    }
    // Only the labels of the current year style are written.
    EXPECT_EQ(Cap(state.gWesternYear != 0 ? "lblYear1" : "lblYear1_S"), otherStyle);
    EXPECT_TRUE(host.navigations.empty());
  }
}

}  // namespace
}  // namespace tb::testing
