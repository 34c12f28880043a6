// The chart data of a grid page, read from a page loaded on a share built in the test.
#include "client/trend/trend_data.h"

#include <gtest/gtest.h>

#include <memory>

#include "client/grid/grid_test_share.h"
#include "client/trend/trend_csv.h"
#include "platform/codepage.h"

namespace tb::trend {
namespace {

using namespace std::chrono;
using testing_share::Cell;
using testing_share::Share;
using testing_share::Tag;
using testing_share::Values;
using Points = std::vector<std::optional<double>>;

constexpr int kDaily = 1, kMonthly = 2, kYearly = 3;

struct Page {
  explicit Page(int start = 1) : share(start, start, start) { share.ReadInto(s, host); }
  void Open(int kind, year_month_day date, int page = 1) {
    testing_share::SetReport(s, kind, date, 2, page);
    doc = std::make_unique<DocGrid>(s, host);
    FireTimers(*doc);
  }
  TagTrend Trend(std::int64_t tag) {
    auto r = TrendOf(*doc, tag);
    EXPECT_EQ(r.refusal, Refusal::kNone);
    return r.trend.value_or(TagTrend{});
  }

  Share share;
  ClientState s;
  ScriptedHost host;
  std::unique_ptr<DocGrid> doc;
};

Values Daily(std::vector<Cell> data, Cell max, Cell min) {
  data.resize(24);
  return Values{std::move(data), "100", "4.2", std::move(max), std::move(min)};
}

TEST(TrendData, DailyCurveFollowsTheGridWithGapsMarksAndThePreviousDay) {
  Page p(8);
  p.share.AddTag({101, "浄水", "流量", "1系", "m3/h", "0.0", 0});
  p.share.Place(kDaily, 1, 3, 101);
  // Null, empty, "*" and a text are gaps; the maximum and minimum as the grid marks them.
  p.share.Put(kDaily, "2026/3/7", 101,
              Daily({"1.25", std::nullopt, "", "*", "abc", "9.5", "0.5", "9.5"}, "9.5", "0.5"));
  p.share.Put(kDaily, "2026/3/6", 101, Daily({"2", "3"}, "3", "2"));
  p.Open(kDaily, 2026y / 3 / 7);

  const auto t = p.Trend(101);
  EXPECT_EQ(t.tag.column, 3);
  EXPECT_EQ(t.tag.large, "浄水");
  EXPECT_EQ(t.tag.unit, "m3/h");
  EXPECT_FALSE(t.tag.minutes);
  EXPECT_EQ(t.key, "2026/3/7");
  EXPECT_EQ(t.rowUnit, "時");
  ASSERT_EQ(t.labels.size(), 24u);
  EXPECT_EQ(t.labels.front(), "08:00");
  EXPECT_EQ(t.labels.back(), "07:00");
  ASSERT_EQ(t.current.values.size(), 24u);
  const Points head(t.current.values.begin(), t.current.values.begin() + 8);
  EXPECT_EQ(head, (Points{1.25, {}, {}, {}, {}, 9.5, 0.5, 9.5}));
  EXPECT_EQ(t.current.values[8], std::nullopt);  // a missing value column reads as Null
  // Texts and summaries as the grid shows them (digit pattern 0.0).
  EXPECT_EQ(t.current.texts[0], "1.3");
  EXPECT_EQ(t.current.texts[3], "*");
  EXPECT_EQ(t.current.total, "100.0");
  EXPECT_EQ(t.current.maximum, "9.5");
  const std::vector<Mark> marks(t.marks.begin(), t.marks.begin() + 8);
  EXPECT_EQ(marks, (std::vector<Mark>{Mark::kNone, Mark::kNone, Mark::kNone, Mark::kNone,
                                      Mark::kNone, Mark::kMax, Mark::kMin, Mark::kMax}));

  EXPECT_TRUE(t.previous.read);
  EXPECT_EQ(t.previous.label, "前日");
  EXPECT_EQ(t.previous.key, "2026/3/6");
  EXPECT_EQ(t.previous.caption, "2026年 3月 6日 金曜日");
  ASSERT_EQ(t.previous.series.values.size(), 24u);
  EXPECT_EQ(t.previous.series.values[1], 3.0);
  EXPECT_EQ(t.previous.series.values[2], std::nullopt);
  EXPECT_EQ(t.previous.series.texts[0], "2.0");
  EXPECT_EQ(t.previous.series.maximum, "3.0");
  EXPECT_EQ(t.fileBase, "20260307_101");
}

TEST(TrendData, TimeItemsAreMinutesAndAConstantSeriesHasNoMarks) {
  Page p;
  p.share.AddTag({7, "ポンプ", "運転", "時間", "分", "0", 6});
  p.share.AddTag({8, "設定", "圧力", "", "MPa", "0.00", 0});
  p.share.Place(kDaily, 1, 1, 7);
  p.share.Place(kDaily, 1, 2, 8);
  p.share.Put(kDaily, "2026/3/7", 7, Daily({"90", "*", "60"}, "90", "60"));
  p.share.Put(kDaily, "2026/3/7", 8, Daily({"0.3", "0.3"}, "0.3", "0.3"));
  p.Open(kDaily, 2026y / 3 / 7);

  const auto time = p.Trend(7);
  EXPECT_TRUE(time.tag.minutes);
  EXPECT_EQ(Points(time.current.values.begin(), time.current.values.begin() + 3),
            (Points{90, {}, 60}));
  EXPECT_EQ(time.current.texts[0], "1:30");
  EXPECT_EQ(time.current.texts[1], "*");
  EXPECT_EQ(time.marks[0], Mark::kMax);
  EXPECT_EQ(time.marks[2], Mark::kMin);

  const auto flat = p.Trend(8);
  EXPECT_EQ(flat.marks[0], Mark::kNone);
  EXPECT_EQ(flat.marks[1], Mark::kNone);
  EXPECT_EQ(flat.current.maximum, "0.30");  // the summary keeps its value
}

TEST(TrendData, OnlyTagsOfThePageOnShowAreAnswered) {
  Page p;
  for (int id : {11, 12, 13}) p.share.AddTag({id, "大" + std::to_string(id), "中", "小", "℃", "0", 0});
  p.share.Place(kDaily, 1, 5, 12);
  p.share.Place(kDaily, 1, 2, 11);
  p.share.Place(kDaily, 2, 1, 13);
  p.Open(kDaily, 2026y / 3 / 7);

  const auto tags = PageTags(*p.doc);
  ASSERT_EQ(tags.size(), 2u);
  EXPECT_EQ(tags[0].tagId, 11);
  EXPECT_EQ(tags[0].column, 2);
  EXPECT_EQ(tags[1].large, "大12");
  EXPECT_EQ(TrendOf(*p.doc, 13).refusal, Refusal::kNotOnPage);  // on page 2
  EXPECT_EQ(TrendOf(*p.doc, 99).refusal, Refusal::kNotOnPage);
  EXPECT_EQ(TrendOf(*p.doc, 0).refusal, Refusal::kNotOnPage);
  // A tag without values on the period is on the page: all gaps.
  const auto empty = p.Trend(11);
  EXPECT_EQ(empty.current.values, Points(24));

  // Once the page steps on, nothing is answered until the new page has loaded.
  p.doc->Handle(UiEvent{UiEvent::Kind::kClick, "cmdJiPage", 0, {}, 0, 0});
  EXPECT_EQ(TrendOf(*p.doc, 11).refusal, Refusal::kLoading);
  EXPECT_TRUE(PageTags(*p.doc).empty());
  FireTimers(*p.doc);
  EXPECT_EQ(PageTags(*p.doc).at(0).tagId, 13);
  EXPECT_EQ(TrendOf(*p.doc, 11).refusal, Refusal::kNotOnPage);
}

TEST(TrendData, PreviousMonthsAndYearsAreLaidOnTheRowsOnShow) {
  Page p;
  p.share.AddTag({5, "受電", "電力量", "", "kWh", "0", 0});
  p.share.Place(kMonthly, 1, 1, 5);
  p.share.Place(kYearly, 1, 1, 5);
  std::vector<Cell> days(31);
  for (int i = 0; i < 31; ++i) days[size_t(i)] = std::to_string(i + 1);
  p.share.Put(kMonthly, "2026/3", 5, {days, "1", "1", "31", "1"});
  p.share.Put(kMonthly, "2026/2", 5, {days, "1", "1", "28", "1"});
  p.share.Put(kYearly, "2025", 5, {{"7"}, "7", "7", "7", "7"});

  p.Open(kMonthly, 2026y / 4 / 1);  // 30 days; March before it had 31
  auto t = p.Trend(5);
  EXPECT_EQ(t.previous.key, "2026/3");
  EXPECT_EQ(t.previous.series.values.size(), 30u);
  EXPECT_EQ(t.previous.series.values.back(), 30.0);
  EXPECT_EQ(t.current.values, Points(30));  // April has no row

  p.Open(kMonthly, 2026y / 3 / 1);  // 31 days; February had 28: its columns 29..31 are not read
  t = p.Trend(5);
  EXPECT_EQ(t.previous.key, "2026/2");
  EXPECT_EQ(t.previous.series.values[27], 28.0);
  EXPECT_EQ(t.previous.series.values[28], std::nullopt);
  EXPECT_EQ(t.fileBase, "202603_5");

  p.Open(kYearly, 2026y / 1 / 1);
  t = p.Trend(5);
  EXPECT_EQ(t.previous.label, "前年");
  EXPECT_EQ(t.previous.key, "2025");
  EXPECT_EQ(t.previous.series.values.front(), 7.0);
}

TEST(TrendData, AnUnreadableDataDatabaseLeavesOnlyThePeriodOnShow) {
  Page p;
  p.share.AddTag({3, "水位", "", "", "m", "0.0", 0});
  p.share.Place(kDaily, 1, 1, 3);
  p.share.Put(kDaily, "2026/3/7", 3, Daily({"1.5"}, "1.5", "1.5"));
  p.Open(kDaily, 2026y / 3 / 7);
  std::filesystem::resize_file(p.share.Data(), 100);  // no longer a database
  const auto t = p.Trend(3);
  EXPECT_FALSE(t.previous.read);
  EXPECT_EQ(t.previous.series.values, Points(24));
  EXPECT_EQ(t.current.values[0], 1.5);
}

TEST(TrendCsv, ValuesOfTheChartInColumnsWithQuotesDoubled) {
  TagTrend main;
  main.tag = PageTag{1, 1, "浄水", "流量", "", "m3/h", false};
  main.caption = "2026年 3月 7日 土曜日";
  main.rowUnit = "時";
  main.labels = {"01:00", "02:00"};
  main.current.texts = {"1.5", "*"};
  main.current.total = "1.5";
  main.previous = {"前日", "2026/3/6", "2026年 3月 6日 金曜日", true, {}};
  main.previous.series.texts = {"1.0", ""};
  TagTrend added;
  added.tag = PageTag{2, 9, "設定\"A\"", "", "", "", false};
  added.current.texts = {"3"};  // shorter than the rows on show
  const std::vector<TagTrend> more = {added};
  EXPECT_EQ(TrendCsvText(main, more),
            "\"2026年 3月 7日 土曜日\",\r\n"
            "\"時\",\"浄水 流量 [m3/h]\",\"前日 2026年 3月 6日 金曜日\",\"設定\"\"A\"\"\",\r\n"
            "\"01:00\",\"1.5\",\"1.0\",\"3\",\r\n"
            "\"02:00\",\"*\",\"\",\"\",\r\n"
            "\"合計\",\"1.5\",\"\",\"\",\r\n"
            "\"平均\",\"\",\"\",\"\",\r\n"
            "\"最大\",\"\",\"\",\"\",\r\n"
            "\"最小\",\"\",\"\",\"\",\r\n");
  EXPECT_EQ(TrendCsvFile(main, more), platform::Utf8ToCp932(TrendCsvText(main, more)));
}

}  // namespace
}  // namespace tb::trend
