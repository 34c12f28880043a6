#include "client/archive/period_calendar.h"

#include <algorithm>
#include <array>

#include "client/core/formatting.h"
#include "client/grid/period_step.h"

namespace tb::archive {
namespace {

using namespace std::chrono;

constexpr std::array<std::string_view, 3> kKindNames{"daily", "monthly", "yearly"};

year_month_day FirstOfMonth(year_month ym) { return ym / day{1}; }

int Clamp(int v, int lo, int hi) { return std::min(std::max(v, lo), hi); }

// The calendar day of the last row of a monthly period: the month's last day when the
// rows start on the 1st, else the day before the start day in the following month.
year_month_day LastDayOfMonthPeriod(year_month_day first, int startDay) {
  const year_month ym{first.year(), first.month()};
  if (startDay <= 1) return year_month_day_last{ym.year(), month_day_last{ym.month()}};
  const year_month next = ym + months{1};
  const int days = DaysInMonth(static_cast<int>(next.year()), static_cast<int>(unsigned{next.month()}));
  return next / day{static_cast<unsigned>(std::min(startDay - 1, days))};
}

// The first date of the monthly period of the last row of a yearly period.
year_month_day LastMonthOfYearPeriod(year_month_day first, int startMonth) {
  if (startMonth <= 1) return first.year() / December / day{1};
  return (first.year() + years{1}) / month{static_cast<unsigned>(startMonth - 1)} / day{1};
}

LocalTime DailyEnd(year_month_day d, const PeriodStarts& s) {
  return LocalTime{local_days{d}.time_since_epoch()} + hours{Clamp(s.dayStartHour, 0, 24) + 23};
}

}  // namespace

std::string_view KindName(Kind kind) { return kKindNames[static_cast<int>(kind) - 1]; }

std::optional<Kind> KindFromName(std::string_view name) {
  for (int i = 0; i < 3; ++i)
    if (kKindNames[i] == name) return static_cast<Kind>(i + 1);
  return std::nullopt;
}

std::string KeyOf(const Period& p) { return tb::PeriodKey(static_cast<int>(p.kind), p.date); }

std::optional<Period> PeriodFromKey(Kind kind, std::string_view key) {
  int parts[3] = {0, 1, 1};
  const int wanted = kind == Kind::kDaily ? 3 : kind == Kind::kMonthly ? 2 : 1;
  std::size_t pos = 0;
  for (int i = 0; i < wanted; ++i) {
    const std::size_t slash = i + 1 < wanted ? key.find('/', pos) : key.size();
    if (slash == std::string_view::npos) return std::nullopt;
    const auto piece = key.substr(pos, slash - pos);
    if (piece.empty() || piece.size() > 4 || piece.front() == '0') return std::nullopt;
    int v = 0;
    for (char c : piece) {
      if (c < '0' || c > '9') return std::nullopt;
      v = v * 10 + (c - '0');
    }
    parts[i] = v;
    pos = slash + 1;
  }
  const year_month_day d{year{parts[0]}, month{static_cast<unsigned>(parts[1])},
                         day{static_cast<unsigned>(parts[2])}};
  if (!d.ok() || parts[0] < 100) return std::nullopt;
  Period p{kind, d};
  if (KeyOf(p) != key) return std::nullopt;
  return p;
}

Period PeriodContaining(Kind kind, year_month_day date, const PeriodStarts& s) {
  switch (kind) {
    case Kind::kDaily:
      return {kind, date};
    case Kind::kMonthly: {
      year_month ym{date.year(), date.month()};
      if (s.monthStartDay > 1 && static_cast<int>(unsigned{date.day()}) < s.monthStartDay) ym -= months{1};
      return {kind, FirstOfMonth(ym)};
    }
    case Kind::kYearly: {
      year y = date.year();
      if (s.yearStartMonth > 1 && static_cast<int>(unsigned{date.month()}) < s.yearStartMonth) y -= years{1};
      return {kind, y / January / day{1}};
    }
  }
  return {kind, date};
}

Period NextPeriod(const Period& p) {
  switch (p.kind) {
    case Kind::kDaily:
      return {p.kind, year_month_day{sys_days{p.date} + days{1}}};
    case Kind::kMonthly:
      return {p.kind, FirstOfMonth(year_month{p.date.year(), p.date.month()} + months{1})};
    case Kind::kYearly:
      return {p.kind, (p.date.year() + years{1}) / January / day{1}};
  }
  return p;
}

LocalTime PeriodEnd(const Period& p, const PeriodStarts& s) {
  switch (p.kind) {
    case Kind::kDaily:
      return DailyEnd(p.date, s);
    case Kind::kMonthly:
      return DailyEnd(LastDayOfMonthPeriod(p.date, s.monthStartDay), s);
    case Kind::kYearly:
      return PeriodEnd({Kind::kMonthly, LastMonthOfYearPeriod(p.date, s.yearStartMonth)}, s);
  }
  return {};
}

}  // namespace tb::archive
