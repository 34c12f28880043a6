#include "client/core/formatting.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "client/core/vb_error.h"

namespace tb {
namespace {

using namespace std::chrono;

struct PictureCase {
  int row;
  const char* value;
  const char* picture;
  const char* expected;
};

TEST(FormatNumberTest, Pictures) {
  const PictureCase cases[] = {
      // Rounding works on the decimal digits as written, halves away from zero.
      {0, "101.25", "0.0", "101.3"},
      {1, "2.675", "0.00", "2.68"},
      {2, "-2.675", "0.00", "-2.68"},
      {3, "1234.56", "0.0", "1234.6"},
      {4, "1234.56", "#,##0.0", "1,234.6"},
      {5, "7", "0.00", "7.00"},
      {6, "0.5", "0", "1"},
      {7, "-0.5", "0", "-1"},
      {8, "-0.04", "0.0", "0.0"},  // rounds to zero: no sign
      {9, "999.96", "0.0", "1000.0"},
      {10, "1234567", "#,##0", "1,234,567"},
      // "#,##" alone: grouped integers, zero as nothing.
      {11, "0", "#,##", ""},
      {12, "0.4", "#,##", ""},
      {13, "1234.5", "#,##", "1,235"},
      {14, "123", "#,##", "123"},
      {15, "0", "#,###", ""},
      {16, "3", "00", "03"},
      {17, "113", "00", "113"},
      {18, "0.25", "#.00", ".25"},
      {19, "1.5", "0.0#", "1.5"},
      {20, "1.234", "0.0#", "1.23"},
      // Not numbers: unchanged.
      {21, "*", "0.0", "*"},
      {22, "", "0.0", ""},
      {23, "12a", "0.0", "12a"},
      {24, "-", "0", "-"},
      {25, "1,234", "0", "1,234"},
      // Blanks, signs, exponents, long digit strings.
      {26, " +12.5 ", "0", "13"},
      {27, "1.5E+3", "#,##0", "1,500"},
      {28, "12345678901234567890123.45", "#,##0.0", "12,345,678,901,234,567,890,123.5"},
      {29, "0.000000000000000000000000005", "0.00", "0.00"},
      {30, "1e99999", "0", "1e99999"},
      {31, ".5", "0.0", "0.5"},
      {32, "7", "", "7"},
      {33, "007.50", "", "7.5"},
      // Text around the placeholders is kept as it stands.
      {34, "12.34", "0.0 kg", "12.3 kg"},
      {35, "1234", "(#,##0)", "(1,234)"},
      {36, "0", "#,##0円", "0円"},
      {37, "-3", "約0", "-約3"},  // the sign leads the whole text
  };
  for (const PictureCase& c : cases) {
    SCOPED_TRACE(c.row);
    EXPECT_EQ(FormatNumber(c.value, c.picture), c.expected);
  }
  EXPECT_EQ(FormatNumber(113LL, "00"), "113");
  EXPECT_EQ(FormatNumber(1LL, "#"), "1");
  EXPECT_EQ(FormatNumber(0LL, "#"), "");
}

struct DateCase {
  int row;
  int y, m, d;
  const char* picture;
  const char* expected;
};

TEST(FormatDateTest, PicturesAndEras) {
  const DateCase cases[] = {
      {0, 2026, 3, 7, "yyyy/m/d", "2026/3/7"},
      {1, 2026, 3, 7, "yyyy/mm/dd", "2026/03/07"},
      {2, 2026, 12, 7, "YYYYMMDD", "20261207"},
      {3, 2003, 4, 1, "yymmdd", "030401"},
      {4, 2026, 3, 7, "yyyy年 m月 d日 aaaa", "2026年 3月 7日 土曜日"},
      {5, 2026, 3, 8, "aaaa", "日曜日"},
      {6, 2026, 3, 7, "ggg e年 m月 d日 aaaa", "令和 8年 3月 7日 土曜日"},
      {7, 2019, 5, 1, "ggge年", "令和1年"},
      {8, 2019, 4, 30, "ggge年", "平成31年"},
      {9, 1989, 1, 7, "ggge", "昭和64"},
      {10, 1989, 1, 8, "ggge", "平成1"},
      {11, 1926, 12, 25, "ggge", "昭和1"},
      {12, 1926, 12, 24, "ggge", "大正15"},
      {13, 1912, 7, 30, "ggge", "大正1"},
      {14, 1912, 7, 29, "ggge", "明治45"},
      {15, 1868, 1, 25, "ggge", "明治1"},
      {16, 1868, 1, 24, "ggge", "1868"},  // before the table: no era name
      {17, 2003, 4, 1, "yyyy年度", "2003年度"},
      {18, 2026, 3, 7, "W-x (yyyy)", "W-x (2026)"},  // other letters are copied
  };
  for (const DateCase& c : cases) {
    SCOPED_TRACE(c.row);
    EXPECT_EQ(FormatDate(year{c.y} / c.m / c.d, c.picture), c.expected);
  }
}

TEST(FormatDateTest, ClockPictures) {
  LocalTime t = local_days{year{2026} / 12 / 7} + hours{9} + minutes{5} + seconds{2};
  EXPECT_EQ(FormatDate(t, "hh:nn:ss"), "09:05:02");
  EXPECT_EQ(FormatDate(t, "yyyy年m月d日 h時n分s秒"), "2026年12月7日 9時5分2秒");
  EXPECT_EQ(FormatDate(t, "ggge年m月d日 h時n分s秒"), "令和8年12月7日 9時5分2秒");
  EXPECT_EQ(FormatDate(t, "yyyy/mm/dd"), "2026/12/07");
}

TEST(FormattingTest, DaysInMonth) {
  EXPECT_EQ(DaysInMonth(2026, 2), 28);
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2026, 4), 30);
  EXPECT_EQ(DaysInMonth(2026, 12), 31);
  EXPECT_EQ(DaysInMonth(2027, 14), 29);  // months past December run into the next year
  EXPECT_EQ(DaysInMonth(2026, 0), 31);   // December of the year before
}

TEST(FormattingTest, FormatMinutes) {
  struct {
    double minutes;
    int keta;
    const char* expected;
  } cases[] = {
      {0, 0, "0:00"},          {75, 0, "1:15"},         {59.5, 0, "1:00"},
      {60.5, 0, "1:00"},       {59999, 1, "999:59"},    {60000, 1, "1,000:00"},
      {123456, 1, "2,057:36"}, {60000, 0, "1000:00"},   {123456, 0, "2057:36"},
      {59999.6, 1, "1000:00"}, {-75, 0, "-1:15"},       {-0.4, 0, "0:00"},
      {-59, 0, "-0:59"},       {2147483647, 0, "35791394:07"},
      {-2147483648.0, 0, "-35791394:08"},  // both ends of the 32-bit range are formatted
  };
  for (const auto& c : cases) EXPECT_EQ(FormatMinutes(c.minutes, c.keta), c.expected) << c.minutes;
  for (double bad : {2147483647.5, -2147483649.0, 1e300, std::nan("")}) {
    try {
      (void)FormatMinutes(bad, 0);
      ADD_FAILURE() << bad;
    } catch (const VbError& e) {
      EXPECT_EQ(e.Number(), kErrOverflow);
    }
  }
}

// Whole numbers the way the report's arithmetic rounds them: halves to the even
// neighbour, and an overflow error for what a 64-bit integer cannot hold.
TEST(FormattingTest, RoundHalfEvenRoundsHalvesToEvenWithinTheSixtyFourBitRange) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
  EXPECT_EQ(RoundHalfEven(-9223372036854775808.0), std::numeric_limits<long long>::min());
  EXPECT_EQ(RoundHalfEven(9223372036854774784.0), 9223372036854774784LL);  // the last double below 2^63
  for (double bad : {9223372036854775808.0, 1e300, -1e300, -9223372036854777856.0, std::nan(""),
                     std::numeric_limits<double>::infinity()}) {
    try {
      (void)RoundHalfEven(bad);
      ADD_FAILURE() << bad;
    } catch (const VbError& e) {
      EXPECT_EQ(e.Number(), kErrOverflow);
    }
  }
}

TEST(FormattingTest, ParseInt16) {
  struct {
    const char* text;
    std::optional<int> expected;
  } cases[] = {
      {"1", 1},          {" 7 ", 7},         {"-32768", -32768}, {"32767", 32767},
      {"+5", 5},         {"2.5", 2},         {"3.5", 4},         {"-2.5", -2},
      {"2.51", 3},       {"32767.5", {}},    {"-32768.5", -32768}, {"32768", {}},
      {"", {}},          {"  ", {}},         {"abc", {}},        {"1 2", {}},
      {"1e2", 100},      {"99999999999999999999", {}}, {".5", 0}, {"0x10", {}},
      {"7e-4096", 0},  // exponents are read up to 4096 places
  };
  for (const auto& c : cases) {
    std::optional<std::int16_t> got = ParseInt16(c.text);
    EXPECT_EQ(got ? std::optional<int>(*got) : std::nullopt, c.expected) << c.text;
  }
}

TEST(FormattingTest, ParseDoubleAndShortestText) {
  EXPECT_EQ(ParseDouble(" 3. "), 3.0);
  EXPECT_EQ(ParseDouble(".5"), 0.5);
  EXPECT_EQ(ParseDouble("-0.25"), -0.25);
  EXPECT_EQ(ParseDouble("1e5"), 1e5);
  for (const char* bad : {"", "-", ".", "inf", "nan", "0x1p3", "1e", "1.2.3", "1e400"})
    EXPECT_EQ(ParseDouble(bad), std::nullopt) << bad;

  struct {
    const char* text;
    const char* shortest;
  } cases[] = {
      {"007", "7"},  {"3.", "3"},    {"2.50", "2.5"}, {"-0.25", "-0.25"}, {"-0", "0"},
      {"0.1", "0.1"}, {"123456789012345", "123456789012345"}, {"0.000001", "0.000001"},
      {"1e15", "1e+15"},
  };
  for (const auto& c : cases) EXPECT_EQ(ShortestNumberText(*ParseDouble(c.text)), c.shortest) << c.text;
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
}

}  // namespace
}  // namespace tb
