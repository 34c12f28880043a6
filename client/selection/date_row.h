// The date labels of the selection page, in three rows: row 1 the single date of display
// mode, row 2 the start and row 3 the end of print mode's range. Each row has an era-year
// label (lblYearN, a year of the 平成 era), a western-year label (lblYearN_S), a month and
// a day label, and the four fixed labels lblDateN(0..3) "平成", "年", "月", "日". A label's
// value is its caption, a decimal number. Pure helpers, thread-safe.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace tb {

enum class DateField { kEraYear, kWesternYear, kMonth, kDay };

struct DateLabelRef {
  int row = 1;  // 1..3
  DateField field = DateField::kDay;
};

// "lblYear2", "lblYear2_S", "lblMonth2", "lblDay2".
[[nodiscard]] std::string DateLabelId(DateLabelRef label);
// The value label an id names, or nullopt.
[[nodiscard]] std::optional<DateLabelRef> ParseDateLabelId(std::string_view id);
// "lblDate2" (the name of the row's fixed-label array).
[[nodiscard]] std::string DateCaptionArray(int row);

struct DateBounds {
  int lower = 0;
  int upper = 0;
};
// Bounds of the ten-key entry of a year, month or day label; the day's upper bound is
// the last day of the month of `year` and `month` (the same row's values).
[[nodiscard]] DateBounds BoundsOf(DateField field, int year, int month);

// A label's text as a whole number: blanks around allowed, digits only. Anything else
// throws VbError 13 (type mismatch), as reading a date from text does.
[[nodiscard]] int LabelNumber(std::string_view text);
// The date year/month/day read from label texts. Throws VbError 13 for a text that is
// not a number, a year outside 100..9999, or a day the month does not have (2/30).
[[nodiscard]] std::chrono::year_month_day DateFromLabels(std::string_view year,
                                                         std::string_view month,
                                                         std::string_view day);

}  // namespace tb
