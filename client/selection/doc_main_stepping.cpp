// Period stepping on docMain: cmdJiPage (+1) and cmdZenPage (-1) move the date of the
// current mode by one period of the current kind.
#include <chrono>
#include <string>

#include "client/core/formatting.h"
#include "client/core/vb_error.h"
#include "client/selection/doc_main.h"

namespace tb {
namespace {

using std::chrono::year_month_day;

int Month(year_month_day d) { return static_cast<int>(static_cast<unsigned>(d.month())); }
int Day(year_month_day d) { return static_cast<int>(static_cast<unsigned>(d.day())); }

// The date one period after (delta +1) or before (-1) year/month/day. Month and year ends
// carry over; a day the month does not have counts on into the next month (4/31 + 1 day is 5/2).
year_month_day Step(int kind, int year, int month, int day, int delta) {
  using namespace std::chrono;
  const year_month first = year_month{std::chrono::year{year}, January} + months{month - 1};
  switch (kind) {
    case 1: return year_month_day{sys_days{first / 1} + days{day - 1 + delta}};
    case 2: return (first + months{delta}) / 1;
    default: return std::chrono::year{year + delta} / January / 1;
  }
}

}  // namespace

// Display mode steps row 1; print mode steps the start (row 2) and writes rows 2 and 3.
// Neither the ten-key bounds are checked nor the report run. Labels that are not numbers
// leave the page as it was.
void DocMain::StepPeriod(int delta) {
  const int kind = s_.gReportKind;
  if (kind < 1 || kind > 3) return;
  const int row = DisplayMode() ? 1 : 2;
  try {
    const int month = kind <= 2 ? LabelNumber(Caption(DateLabelId({row, DateField::kMonth}))) : 1;
    const int day = kind == 1 ? LabelNumber(Caption(DateLabelId({row, DateField::kDay}))) : 1;
    const auto next = Step(kind, RowYear(row), month, day, delta);
    WriteRowDate(row, next, kind);
    if (row == 2) WriteRowDate(3, next, kind);
  } catch (const VbError&) {
  }
}

// Writes day (daily), month (daily, monthly) and the year of the current style.
void DocMain::WriteRowDate(int row, year_month_day date, int kind) {
  if (kind == 1) Ctl(DateLabelId({row, DateField::kDay})).caption = std::to_string(Day(date));
  if (kind <= 2) Ctl(DateLabelId({row, DateField::kMonth})).caption = std::to_string(Month(date));
  const int year = static_cast<int>(date.year());
  if (s_.gWesternYear != 0)
    Ctl(DateLabelId({row, DateField::kWesternYear})).caption = std::to_string(year);
  else
    Ctl(DateLabelId({row, DateField::kEraYear})).caption = std::to_string(HeiseiYear(year));
}

}  // namespace tb
