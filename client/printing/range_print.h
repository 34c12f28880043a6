// Run in print mode: prints every period of the range between the start date and the end
// date of the selection page, one print job per period, in date order.
#pragma once

#include "client/core/client_state.h"
#include "client/core/host.h"

namespace tb::print {

// The date labels of the range as western year, month and day numbers; all three count,
// also those the report kind disables.
struct RangeDates {
  int startYear = 0, startMonth = 0, startDay = 0;
  int endYear = 0, endMonth = 0, endDay = 0;
};

// The print-mode branch of Run, after the report description has been built. Shows
// "プリンタが登録されていません。" without a printer and "印刷する範囲が正しくありません"
// for a start after the end or a date that does not exist (a day past the month's end,
// the disabled day label of a monthly or yearly report included, or a year outside
// 100..9999); after either message the status text is cleared, as nothing prints. A job
// that fails is passed over and the next period prints. The status text shows the
// progress ("印刷中・・・ n/N") while it runs.
void RunRangePrint(ClientState& s, Host& host, const RangeDates& range);

}  // namespace tb::print
