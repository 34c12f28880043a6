// Value and date formatting of the client: number pictures, date pictures with the
// Japanese era table, durations in minutes, and the text-to-number conversions the pages
// use. Pure functions, thread-safe.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tb {

using LocalTime = std::chrono::local_time<std::chrono::seconds>;

// Formats a value held as text with a number picture made of "0" and "#" placeholders,
// "," grouping and an optional decimal point ("0", "0.0", "#,##0.00", "#,##", "#,###",
// "00"). The text is parsed as a decimal and rounded half away from zero on its decimal
// digits (never through a binary double). A text that is not a number is returned
// unchanged. "#,##" alone and "#,###" print 0 as the empty text.
[[nodiscard]] std::string FormatNumber(std::string_view value, std::string_view picture);
[[nodiscard]] std::string FormatNumber(long long value, std::string_view picture);

// Formats a date-time with a date picture: "yyyy", "yy", "m", "mm", "d", "dd", "ggg" (era
// name), "e" (era year, 1 for the first year), "aaaa" (weekday 日曜日..土曜日), "h", "hh",
// "n", "nn", "s", "ss", "YYYYMMDD"; every other character is copied.
[[nodiscard]] std::string FormatDate(LocalTime t, std::string_view picture);
[[nodiscard]] std::string FormatDate(std::chrono::year_month_day d, std::string_view picture);

// Japanese era of a date (明治 from 1868-01-25 ... 令和 from 2019-05-01) and the year in it.
struct EraYear {
  std::string_view name;
  int year = 0;
};
[[nodiscard]] EraYear JapaneseEra(std::chrono::year_month_day d);

// The Heisei-era year that the selection page's year labels hold: western year - 1988,
// whatever the date (2026 -> 38). The labels' caption is fixed to 平成 and every
// conversion back adds 1988.
[[nodiscard]] constexpr int HeiseiYear(int westernYear) { return westernYear - 1988; }
[[nodiscard]] constexpr int WesternFromHeisei(int heiseiYear) { return heiseiYear + 1988; }

// Days of a month (28 to 31).
[[nodiscard]] int DaysInMonth(int year, int month);

// A duration in minutes as hours ":" minutes ("1:15", "1,000:00" with thousands
// separators when ketaFlg is 1 and the value is at least 60000). A negative duration
// prints its sign once ("-1:15"). Throws VbError (overflow) outside the 32-bit range.
[[nodiscard]] std::string FormatMinutes(double minutes, int ketaFlg);

// Text to 16-bit integer: blanks around allowed, optional sign, a decimal fraction rounds
// half to even; empty, non-numeric or out of -32768..32767 gives nullopt.
[[nodiscard]] std::optional<std::int16_t> ParseInt16(std::string_view text);
// Text to double: blanks around allowed, optional sign, digits with an optional point
// ("3.", ".5"); nullopt otherwise (also for "", "-", "1e5" is accepted).
[[nodiscard]] std::optional<double> ParseDouble(std::string_view text);
// Round half to even, as the integer conversions do. Throws VbError (overflow) for NaN
// and values outside the 64-bit range.
[[nodiscard]] long long RoundHalfEven(double v);
// The shortest decimal text that reads back as the same double, without exponent below
// 1e15 ("7", "3", "2.5", "-0.25").
[[nodiscard]] std::string ShortestNumberText(double v);

}  // namespace tb
