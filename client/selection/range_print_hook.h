// The hand-over from Run in print mode to the range print. Run builds the report
// description (kind, data table, item query, page count) in the shared state and then
// calls the range printer with the start and end dates of the page; the range printer
// loops over the periods and prints each one. The printing code installs it with
// DocMain::SetRangePrinter; until then Run in print mode stops after the page count.
#pragma once

#include <functional>

#include "client/core/client_state.h"
#include "client/core/host.h"

namespace tb {

// The start (row 2) and end (row 3) date labels as numbers. Years are western years: the
// western-year label with western years, else the era-year label + 1988. All three
// labels of a row count, also those that the kind disables. A label that does not read
// as a whole number gives 0, which makes no valid date: the printer reports the range.
struct RangeLabels {
  int startYear = 0, startMonth = 0, startDay = 0;
  int endYear = 0, endMonth = 0, endDay = 0;
};

using RangePrinter = std::function<void(ClientState&, Host&, const RangeLabels&)>;

}  // namespace tb
