// Period keys, the period a date belongs to, and when periods end, for the settings a
// plant may have (day start hours 0, 1, 8, 24; month start days 1 and 21; fiscal years).
#include "client/archive/period_calendar.h"

#include <gtest/gtest.h>

#include "client/core/formatting.h"

namespace tb::archive {
namespace {

using namespace std::chrono;

std::string EndText(Kind kind, year_month_day d, PeriodStarts s) {
  return FormatDate(PeriodEnd({kind, d}, s), "yyyy-mm-dd hh:nn");
}

TEST(PeriodEnd, ADayEndsWithItsLastHourRow) {
  // Rows 08:00 ... 24:00, 01:00 ... 07:00: the last is 07:00 of the next day.
  EXPECT_EQ(EndText(Kind::kDaily, year{2026} / 3 / 9, {8, 1, 4}), "2026-03-10 07:00");
  EXPECT_EQ(EndText(Kind::kDaily, year{2026} / 3 / 9, {1, 1, 4}), "2026-03-10 00:00");  // 24:00
  EXPECT_EQ(EndText(Kind::kDaily, year{2026} / 3 / 9, {0, 1, 4}), "2026-03-09 23:00");
  EXPECT_EQ(EndText(Kind::kDaily, year{2026} / 3 / 9, {24, 1, 4}), "2026-03-10 23:00");
  EXPECT_EQ(EndText(Kind::kDaily, year{2026} / 12 / 31, {8, 1, 4}), "2027-01-01 07:00");
}

TEST(PeriodEnd, AMonthEndsWithTheDayOfItsLastRow) {
  EXPECT_EQ(EndText(Kind::kMonthly, year{2026} / 2 / 1, {8, 1, 4}), "2026-03-01 07:00");
  EXPECT_EQ(EndText(Kind::kMonthly, year{2024} / 2 / 1, {1, 1, 4}), "2024-03-01 00:00");  // leap year
  // Rows from the 21st: 21 ... 30 of June, then 1 ... 20 of July.
  EXPECT_EQ(EndText(Kind::kMonthly, year{2026} / 6 / 1, {1, 21, 4}), "2026-07-21 00:00");
  // A start day the next month lacks ends on that month's last day.
  EXPECT_EQ(EndText(Kind::kMonthly, year{2026} / 1 / 1, {1, 31, 4}), "2026-03-01 00:00");
}

TEST(PeriodEnd, AYearEndsWithTheMonthOfItsLastRow) {
  // Fiscal year 2025 from April: its last row is March 2026.
  EXPECT_EQ(EndText(Kind::kYearly, year{2025} / 1 / 1, {8, 1, 4}), "2026-04-01 07:00");
  EXPECT_EQ(EndText(Kind::kYearly, year{2025} / 1 / 1, {1, 1, 1}), "2026-01-01 00:00");
  EXPECT_EQ(EndText(Kind::kYearly, year{2025} / 1 / 1, {1, 21, 4}), "2026-04-21 00:00");
}

TEST(PeriodContaining, MonthsAndYearsFollowTheirStartSettings) {
  const PeriodStarts s{8, 21, 4};
  EXPECT_EQ(PeriodContaining(Kind::kDaily, year{2026} / 3 / 9, s).date, year{2026} / 3 / 9);
  EXPECT_EQ(PeriodContaining(Kind::kMonthly, year{2026} / 3 / 20, s).date, year{2026} / 2 / 1);
  EXPECT_EQ(PeriodContaining(Kind::kMonthly, year{2026} / 3 / 21, s).date, year{2026} / 3 / 1);
  EXPECT_EQ(PeriodContaining(Kind::kMonthly, year{2026} / 1 / 5, s).date, year{2025} / 12 / 1);
  EXPECT_EQ(PeriodContaining(Kind::kYearly, year{2026} / 3 / 31, s).date, year{2025} / 1 / 1);
  EXPECT_EQ(PeriodContaining(Kind::kYearly, year{2026} / 4 / 1, s).date, year{2026} / 1 / 1);
}

TEST(PeriodKeys, OnlyKeysWrittenAsTheClientWritesThemNameAPeriod) {
  EXPECT_EQ(KeyOf(*PeriodFromKey(Kind::kDaily, "2003/4/1")), "2003/4/1");
  EXPECT_EQ(PeriodFromKey(Kind::kMonthly, "2026/12")->date, year{2026} / 12 / 1);
  EXPECT_EQ(PeriodFromKey(Kind::kYearly, "2026")->date, year{2026} / 1 / 1);
  for (const char* bad : {"2026/03/07", "2026/2/30", "2026/3", "2026/3/7/1", "", "2026/3/x", "26/3/7", "/3/7"})
    EXPECT_FALSE(PeriodFromKey(Kind::kDaily, bad)) << bad;
  EXPECT_FALSE(PeriodFromKey(Kind::kMonthly, "2026/13"));
  EXPECT_FALSE(PeriodFromKey(Kind::kYearly, "2026/1"));
}

TEST(NextPeriod, StepsOverMonthAndYearEnds) {
  EXPECT_EQ(NextPeriod({Kind::kDaily, year{2024} / 2 / 28}).date, year{2024} / 2 / 29);
  EXPECT_EQ(NextPeriod({Kind::kMonthly, year{2026} / 12 / 1}).date, year{2027} / 1 / 1);
  EXPECT_EQ(NextPeriod({Kind::kYearly, year{2026} / 1 / 1}).date, year{2027} / 1 / 1);
}

}  // namespace
}  // namespace tb::archive
