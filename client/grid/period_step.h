// The report period the grid page shows, as texts: the period key of the data tables and
// the caption, per report kind and year style; and the step to the next or previous
// period. Pure functions over the shared state.
#pragma once

#include <chrono>
#include <string>

#include "client/core/client_state.h"

namespace tb {

// "yyyy/m/d" (daily), "yyyy/m" (monthly), "yyyy" (yearly): western years, no leading zeros.
[[nodiscard]] std::string PeriodKey(int kind, std::chrono::year_month_day date);
// "yyyy年 m月 d日 aaaa", "yyyy年 m月", "yyyy年度" with western years (westernYear non-zero),
// else the era forms "ggg e年 m月 d日 aaaa", "ggg e年 m月", "ggg e年度".
[[nodiscard]] std::string PeriodCaption(int kind, std::chrono::year_month_day date,
                                        int westernYear);

// The date one period forward (direction +1) or back (-1) of `date`: a day, the first of
// the next/previous month, or 1 January of the next/previous year.
[[nodiscard]] std::chrono::year_month_day SteppedDate(int kind, std::chrono::year_month_day date,
                                                      int direction);

// Moves gReportDate one period forward (direction +1) or back (-1): a day, to the first of
// the next/previous month, or to 1 January of the next/previous year; then rewrites
// gDateKey, gDateCaption and, for the monthly report, gColumnCount. No limits.
void StepPeriod(ClientState& s, int direction);

}  // namespace tb
