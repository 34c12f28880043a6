// The report periods the archive keeps and the moment each one is closed. A period is
// named by its kind and the date of its first row, as the report description of Run
// names it: the day itself, the 1st of the month, 1 January of the (fiscal) year.
//
// A period ends with the time of its last row. Daily rows are hours counted from the day
// start hour (a start of 8 labels 08:00 ... 24:00, 01:00 ... 07:00), so the day of key D
// ends at D 00:00 + start + 23 hours (the row "07:00" of the next day). Monthly rows are
// days counted from the month start day and the month ends when the daily period of its
// last row's day ends; yearly rows are months from the year start month and the year ends
// with the monthly period of its last row's month. A period is closed once its end plus
// the kind's grace time has passed. Pure functions, thread-safe.
#pragma once

#include <chrono>
#include <compare>
#include <optional>
#include <string>
#include <string_view>

#include "client/core/host.h"

namespace tb::archive {

enum class Kind { kDaily = 1, kMonthly = 2, kYearly = 3 };

// "daily", "monthly", "yearly": the archive's folder names and the --kinds words.
[[nodiscard]] std::string_view KindName(Kind kind);
[[nodiscard]] std::optional<Kind> KindFromName(std::string_view name);

// The settings that place the period boundaries (Vurodor.ini [Nippou] Hour, the month
// start day, the year start month).
struct PeriodStarts {
  int dayStartHour = 1;
  int monthStartDay = 1;
  int yearStartMonth = 1;
};

struct Period {
  Kind kind = Kind::kDaily;
  std::chrono::year_month_day date{};  // the day; Y/M/1; Y/1/1
  auto operator<=>(const Period&) const = default;
};

// The period key of the data tables: "2026/12/8", "2026/12", "2026".
[[nodiscard]] std::string KeyOf(const Period& p);
// The period a key names; nullopt unless the key is written exactly as the client writes
// it (no leading zeros, an existing date), since the reports find only such keys.
[[nodiscard]] std::optional<Period> PeriodFromKey(Kind kind, std::string_view key);

// The period whose rows include `date`.
[[nodiscard]] Period PeriodContaining(Kind kind, std::chrono::year_month_day date,
                                      const PeriodStarts& starts);
[[nodiscard]] Period NextPeriod(const Period& p);

// The time of the period's last row (see above).
[[nodiscard]] LocalTime PeriodEnd(const Period& p, const PeriodStarts& starts);

}  // namespace tb::archive
