#include "client/grid/period_step.h"

#include "client/core/formatting.h"

namespace tb {

namespace {

using std::chrono::year_month_day;

constexpr int kDaily = 1, kMonthly = 2, kYearly = 3;

}  // namespace

year_month_day SteppedDate(int kind, year_month_day d, int direction) {
  using namespace std::chrono;
  switch (kind) {
    case kDaily:
      return year_month_day{sys_days{d} + days{direction}};
    case kMonthly: {
      const year_month first = year_month{d.year(), d.month()} + months{direction};
      return first / day{1};
    }
    case kYearly:
      return (d.year() + years{direction}) / January / day{1};
    default:
      return d;  // no report chosen: nothing to step
  }
}

std::string PeriodKey(int kind, std::chrono::year_month_day date) {
  switch (kind) {
    case kDaily: return FormatDate(date, "yyyy/m/d");
    case kMonthly: return FormatDate(date, "yyyy/m");
    case kYearly: return FormatDate(date, "yyyy");
    default: return {};
  }
}

std::string PeriodCaption(int kind, std::chrono::year_month_day date, int westernYear) {
  const bool western = westernYear != 0;
  switch (kind) {
    case kDaily:
      return FormatDate(date, western ? "yyyy年 m月 d日 aaaa" : "ggg e年 m月 d日 aaaa");
    case kMonthly:
      return FormatDate(date, western ? "yyyy年 m月" : "ggg e年 m月");
    case kYearly:
      return FormatDate(date, western ? "yyyy年度" : "ggg e年度");
    default:
      return {};
  }
}

void StepPeriod(ClientState& s, int direction) {
  const int kind = s.gReportKind;
  if (kind < kDaily || kind > kYearly) return;
  s.gReportDate = SteppedDate(kind, s.gReportDate, direction);
  s.gDateKey = PeriodKey(kind, s.gReportDate);
  s.gDateCaption = PeriodCaption(kind, s.gReportDate, s.gWesternYear);
  if (kind == kMonthly)
    s.gColumnCount = static_cast<std::int16_t>(DaysInMonth(
        static_cast<int>(s.gReportDate.year()), static_cast<int>(unsigned(s.gReportDate.month()))));
}

}  // namespace tb
