// The grid page's load, driven as a user's session on a share built in the test.
#include "client/grid/doc_grid.h"

#include <gtest/gtest.h>

#include <memory>

#include "client/core/messages.h"
#include "client/grid/grid_test_share.h"

namespace tb {
namespace {

using namespace std::chrono;
using testing_share::Share;
using testing_share::Tag;
using testing_share::Values;

using Session = testing_share::GridSession;

struct LabelCase {
  int id, kind, start;
  year_month_day date;
  int rows;  // period rows
  std::vector<std::string> firstLabels, lastLabels;  // first 2 / last 2 period labels
  std::string unit;
};

class GridLabels : public testing::TestWithParam<LabelCase> {};

TEST_P(GridLabels, PeriodRowsAreLabelledFromTheConfiguredStart) {
  const auto& p = GetParam();
  Session t(p.start, p.start, p.start);
  testing_share::SetReport(t.s, p.kind, p.date, 1);
  t.Open();
  const int n = p.rows;
  ASSERT_EQ(t.G().Rows(), n + 8) << "case " << p.id;
  EXPECT_EQ(t.G().FixedRows(), 4);
  EXPECT_EQ(t.G().Cols(), 16);
  // The label column stays in view when the grid scrolls, its labels centred; the values
  // stand right-aligned.
  EXPECT_EQ(t.G().FixedCols(), 1);
  EXPECT_EQ(t.G().ColAlignment(0), FlexAlign::kCenterCenter);
  for (int c = 1; c < 16; ++c) EXPECT_EQ(t.G().ColAlignment(c), FlexAlign::kRightCenter) << c;
  EXPECT_EQ(t.G().EffectiveAlignment(3, 1), FlexAlign::kCenterCenter) << "a unit heading";
  EXPECT_EQ(t.G().EffectiveAlignment(4, 1), FlexAlign::kRightCenter) << "the first value";
  EXPECT_EQ(t.G().FontSize(), 11);
  EXPECT_EQ(t.Column(0, 4, 5), p.firstLabels) << "case " << p.id;
  EXPECT_EQ(t.Column(0, n + 2, n + 3), p.lastLabels) << "case " << p.id;
  EXPECT_EQ(t.Column(0, n + 4, n + 7), (std::vector<std::string>{"合計", "平均", "最大", "最小"}));
  EXPECT_EQ(t.G().TextMatrix(3, 0), p.unit);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridLabels,
    testing::Values(
        LabelCase{1, 1, 0, 2026y / 3 / 7, 24, {"00:00", "01:00"}, {"22:00", "23:00"}, "時"},
        LabelCase{2, 1, 1, 2026y / 3 / 7, 24, {"01:00", "02:00"}, {"23:00", "24:00"}, "時"},
        LabelCase{3, 1, 8, 2026y / 3 / 7, 24, {"08:00", "09:00"}, {"06:00", "07:00"}, "時"},
        // A 30-day month starting on day 21: 21 ... 30, then 1 ... 20.
        LabelCase{4, 2, 21, 2026y / 4 / 1, 30, {"21", "22"}, {"19", "20"}, "日"},
        LabelCase{5, 3, 4, 2026y / 1 / 1, 12, {"4", "5"}, {"2", "3"}, "月"}));

TEST(GridLoad, DailyLabelsWrapAfterMidnight) {
  Session t(8);
  testing_share::SetReport(t.s, 1, 2026y / 3 / 7, 1);
  t.Open();
  EXPECT_EQ(t.G().TextMatrix(4 + 16, 0), "24:00");
  EXPECT_EQ(t.G().TextMatrix(4 + 17, 0), "01:00");
}

TEST(GridLoad, GeometryTintsAndFinishedState) {
  Session t;
  testing_share::SetReport(t.s, 3, 2026y / 1 / 1, 3, 2);
  t.share.Title(3, 2, "用水量");
  // While the page is filled it is hidden, to the browser and in the grid's own state:
  // no half-filled page is ever drawn.
  std::vector<std::pair<bool, bool>> shownWhileLoading;
  t.host.onStatusText = [&](std::string_view text) {
    if (!text.empty())
      shownWhileLoading.emplace_back(t.doc->Controls()["grdGrid"].visible, t.doc->Grid().Visible());
  };
  t.Open();
  EXPECT_EQ(shownWhileLoading, (std::vector<std::pair<bool, bool>>(2, {false, false})));
  const auto& g = t.G();
  EXPECT_TRUE(g.Visible());
  EXPECT_EQ(g.ColWidth(0), 620);
  EXPECT_EQ(g.ColWidth(15), 1500);
  EXPECT_EQ(g.EffectiveAlignment(5, 0), FlexAlign::kCenterCenter);
  EXPECT_EQ(g.EffectiveAlignment(5, 3), FlexAlign::kRightCenter);
  EXPECT_EQ(g.EffectiveAlignment(1, 3), FlexAlign::kCenterCenter);
  EXPECT_EQ(g.CellBackColour(0, 0), kGrey);
  EXPECT_EQ(g.CellForeColour(3, 0), kWhite);
  EXPECT_EQ(g.CellBackColour(5, 1), Rgb(235, 255, 255));   // odd period row
  EXPECT_EQ(g.CellBackColour(6, 1), std::nullopt);         // even period row
  // Total, average, maximum and minimum (rows 12 + 4 to 12 + 7): tinted in every tag column.
  for (int r = 16; r <= 19; ++r)
    for (int c = 1; c <= 15; ++c) EXPECT_EQ(g.CellBackColour(r, c), Rgb(200, 255, 255)) << r << "," << c;
  EXPECT_EQ(g.LeftCol(), 1);
  EXPECT_EQ(g.MergeCells(), FlexMerge::kRestrictColumns);
  EXPECT_TRUE(g.MergeRow(0));
  EXPECT_EQ(t.Caption("lblTitle"), "2026年度");
  EXPECT_EQ(t.Caption("lblPageTitle"), "用水量");
  EXPECT_EQ(t.Caption("lblPage"), "2/3");
  EXPECT_TRUE(t.doc->Controls()["grdGrid"].visible);
  EXPECT_EQ(t.doc->Controls()["Timer1"].interval, 0);
  EXPECT_EQ(t.host.statusTexts,
            (std::vector<std::string>{std::string(msg::kStatusLoadingTitle),
                                      std::string(msg::kStatusLoadingItems), ""}));
  EXPECT_TRUE(t.host.messages.empty());
}

// Daily page, start hour 1, with the value rules of every column kind.
class GridValues : public testing::Test {
 protected:
  void SetUp() override {
    auto& sh = t.share;
    sh.AddTag({101, "流量", "A系", "瞬時", "m3/h", "0.0", 0});
    sh.AddTag({102, "流量", "B系", "積算", "m3", std::nullopt, 0});  // empty pattern: "0"
    sh.AddTag({103, "運転", "ポンプ", "時間", "h:m", "0", 6});
    sh.AddTag({104, "水位", "C系", "一定", "m", "0.00", 0});
    sh.AddTag({105, "無値", "", "", "", "0", 0});
    for (auto [col, tag] : {std::pair{1, 101}, {2, 102}, {3, 103}, {5, 104}, {15, 105}})
      sh.Place(1, 1, col, tag);
    sh.Put(1, "2026/3/7", 101,
           {{"1234.56", "7", "*", "", std::nullopt, "5", "0.04"}, "1241.6", "x", "1234.56", "0.04"});
    sh.Put(1, "2026/3/7", 102, {{"1500", "2"}, "1502", "751", "1500", "1500"});
    sh.Put(1, "2026/3/7", 103, {{"90", "*", "59.5", "-75"}, "*", "60", "90", "-75"});
    sh.Put(1, "2026/3/7", 104, {{"3", "3", "", "3"}, "9", "3", "3", "1"});
    testing_share::SetReport(t.s, 1, 2026y / 3 / 7, 1);
  }
  Session t;
};

TEST_F(GridValues, HeadingsValuesAndColours) {
  t.Open();
  const auto& g = t.G();
  EXPECT_EQ(t.Column(1, 0, 3), (std::vector<std::string>{"流量", "A系", "瞬時", "m3/h"}));
  EXPECT_EQ(t.G().MergedSpans(0)[1], (MergedSpan{1, 2}));  // 流量 over columns 1 and 2
  // Column 1: 0.0 picture, "*" unchanged, empty and Null cells stay empty; MAX red, MIN blue.
  EXPECT_EQ(t.Column(1, 4, 10),
            (std::vector<std::string>{"1234.6", "7.0", "*", "", "", "5.0", "0.0"}));
  EXPECT_EQ(g.CellForeColour(4, 1), kRed);
  EXPECT_EQ(g.CellForeColour(5, 1), kBlack);
  EXPECT_EQ(g.CellForeColour(10, 1), kBlue);
  EXPECT_EQ(g.CellForeColour(7, 1), std::nullopt);  // empty value: no colour
  EXPECT_EQ(t.Column(1, 28, 31), (std::vector<std::string>{"1241.6", "x", "1234.6", "0.0"}));
  EXPECT_EQ(g.CellForeColour(30, 1), kRed);
  EXPECT_EQ(g.CellForeColour(31, 1), kBlue);
  // Column 2: a value equal to both MAX and MIN is red.
  EXPECT_EQ(t.Column(2, 4, 5), (std::vector<std::string>{"1500", "2"}));
  EXPECT_EQ(g.CellForeColour(4, 2), kRed);
  // Column 3: minutes; "*" stays, a "*" summary leaves its cell empty.
  EXPECT_EQ(t.Column(3, 4, 7), (std::vector<std::string>{"1:30", "*", "1:00", "-1:15"}));
  EXPECT_EQ(t.Column(3, 28, 31), (std::vector<std::string>{"", "1:00", "1:30", "-1:15"}));
  // Column 5: every value equals the maximum: shown black; the maximum summary stays red.
  for (int r : {4, 5, 7}) EXPECT_EQ(g.CellForeColour(r, 5), kBlack) << r;
  EXPECT_EQ(t.Column(5, 4, 7), (std::vector<std::string>{"3.00", "3.00", "", "3.00"}));
  EXPECT_EQ(g.CellForeColour(30, 5), kRed);
  // A tag without values keeps its headings only; columns without a tag stay empty.
  EXPECT_EQ(t.Column(15, 0, 0), (std::vector<std::string>{"無値"}));
  EXPECT_EQ(t.Column(15, 4, 31), std::vector<std::string>(28, ""));
  EXPECT_EQ(t.Column(4, 0, 31), std::vector<std::string>(32, ""));
  EXPECT_EQ(t.s.gColPattern[1], "0.0");
  EXPECT_EQ(t.s.gColPattern[2], "0");
  EXPECT_EQ(t.s.gColDisplayType[3], 6);
  EXPECT_TRUE(t.host.messages.empty());
}

TEST_F(GridValues, ThousandsSeparatorsWhenTheSettingsAskForThem) {
  t.s.gKetaFlg = 1;
  t.Open();
  EXPECT_EQ(t.Column(1, 4, 5), (std::vector<std::string>{"1,234.6", "7.0"}));
  EXPECT_EQ(t.Column(2, 4, 5), (std::vector<std::string>{"1,500", "2"}));
}

TEST_F(GridValues, ColumnNumbersOutsideThePageAreSkipped) {
  t.share.AddTag({106, "範囲外", "", "", "", "0", 6});
  t.share.Place(1, 1, 16, 106);
  t.share.Place(1, 1, 0, 106);
  t.Open();
  for (int c = 0; c < 16; ++c) EXPECT_NE(t.G().TextMatrix(0, c), "範囲外") << c;
  EXPECT_EQ(t.s.gColDisplayType[15], 0);
}

TEST_F(GridValues, UnreachableDataDatabaseShowsHeadingsAndReports) {
  std::filesystem::remove(t.share.Data());
  t.Open();
  EXPECT_EQ(t.G().TextMatrix(0, 1), "流量");
  EXPECT_EQ(t.G().TextMatrix(4, 1), "");
  EXPECT_TRUE(t.doc->Controls()["grdGrid"].visible);
  EXPECT_EQ(t.doc->Controls()["Timer1"].interval, 0);
  ASSERT_EQ(t.host.messages.size(), 1u);
  EXPECT_EQ(t.host.messages[0].text, msg::kTableAccessFault);
  EXPECT_EQ(t.host.messages[0].caption, "確認");
  EXPECT_EQ(t.host.statusText, "");
}

TEST(GridLoad, ImpossibleRowCountEndsTheLoadShownAndStopped) {
  Session t;
  testing_share::SetReport(t.s, 2, 2026y / 4 / 1, 1);
  t.s.gColumnCount = -20;  // no grid can have this many rows
  t.Open();
  EXPECT_TRUE(t.doc->Controls()["grdGrid"].visible);
  EXPECT_EQ(t.doc->Controls()["Timer1"].interval, 0);
  EXPECT_EQ(t.host.MessageTexts(), std::vector<std::string>{std::string(msg::kTableAccessFault)});
  EXPECT_EQ(t.host.statusText, "");
}

TEST_F(GridValues, MissingLayoutTablesStillFinishTheLoad) {
  testing_share::Exec(t.share.Layout(), "DROP TABLE 日報ページタイトル; DROP TABLE M_UNIT;");
  t.Open();
  EXPECT_EQ(t.Caption("lblPageTitle"), "");
  EXPECT_EQ(t.G().TextMatrix(0, 1), "");
  EXPECT_EQ(t.Caption("lblPage"), "1/1");
  EXPECT_TRUE(t.doc->Controls()["grdGrid"].visible);
  EXPECT_EQ(t.doc->Controls()["Timer1"].interval, 0);
}

}  // namespace
}  // namespace tb
