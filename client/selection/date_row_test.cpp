// Reading the date labels' texts: what is a number, which dates exist.
#include "client/selection/date_row.h"

#include <gtest/gtest.h>

#include "client/core/vb_error.h"

namespace tb {
namespace {

using std::chrono::year_month_day;

std::optional<int> NumberOrNull(std::string_view text) {
  try {
    return LabelNumber(text);
  } catch (const VbError& e) {
    EXPECT_EQ(e.Number(), kErrTypeMismatch);
    return std::nullopt;
  }
}

std::optional<year_month_day> DateOrNull(const char* y, const char* m, const char* d) {
  try {
    return DateFromLabels(y, m, d);
  } catch (const VbError& e) {
    EXPECT_EQ(e.Number(), kErrTypeMismatch);
    return std::nullopt;
  }
}

TEST(DateRowTest, LabelNumbersAreWholeNumbersOfAtMostNineCharacters) {
  const std::pair<const char*, std::optional<int>> rows[] = {
      {"5", 5},           {" 12 ", 12},        {"05", 5},           {"-3", -3},
      {"123456789", 123456789},                {" 123456789 ", 123456789},
      {"1234567890", std::nullopt},            {"", std::nullopt},  {"   ", std::nullopt},
      {"1a", std::nullopt},                    {"1.5", std::nullopt}, {"\t5", std::nullopt},
  };
  for (const auto& [text, expected] : rows) EXPECT_EQ(NumberOrNull(text), expected) << '"' << text << '"';
}

TEST(DateRowTest, DatesMustExistAndHaveFourDigitYearsAtMost) {
  using namespace std::chrono;
  EXPECT_EQ(DateOrNull("100", "1", "1"), year{100} / 1 / 1);
  EXPECT_EQ(DateOrNull("9999", "12", "31"), year{9999} / 12 / 31);
  EXPECT_EQ(DateOrNull("2024", "2", "29"), year{2024} / 2 / 29);
  for (auto [y, m, d] : {std::tuple{"99", "1", "1"}, {"10000", "1", "1"}, {"2023", "2", "29"},
                         {"2026", "13", "1"}, {"2026", "0", "1"}, {"2026", "4", "0"},
                         {"2026", "4", "31"}, {"2026", "x", "1"}})
    EXPECT_EQ(DateOrNull(y, m, d), std::nullopt) << y << "/" << m << "/" << d;
}

TEST(DateRowTest, DayBoundsCarryMonthsIntoNeighbouringYears) {
  EXPECT_EQ(BoundsOf(DateField::kDay, 2026, 13).upper, 31);  // January 2027
  EXPECT_EQ(BoundsOf(DateField::kDay, 2024, 14).upper, 28);  // February 2025
  EXPECT_EQ(BoundsOf(DateField::kDay, 2024, 0).upper, 31);   // December 2023
  EXPECT_EQ(BoundsOf(DateField::kDay, 2024, -10).upper, 28);  // February 2023
}

TEST(DateRowTest, LabelIdsNameRowAndField) {
  for (int row = 1; row <= 3; ++row)
    for (DateField f : {DateField::kEraYear, DateField::kWesternYear, DateField::kMonth, DateField::kDay}) {
      const auto parsed = ParseDateLabelId(DateLabelId({row, f}));
      ASSERT_TRUE(parsed);
      EXPECT_EQ(parsed->row, row);
      EXPECT_EQ(parsed->field, f);
    }
  EXPECT_EQ(DateLabelId({2, DateField::kWesternYear}), "lblYear2_S");
  EXPECT_EQ(ParseDateLabelId("lblDay4"), std::nullopt);
  EXPECT_EQ(ParseDateLabelId("lblDate1"), std::nullopt);
}

}  // namespace
}  // namespace tb
