// The report description of one period in the shared state, written as Run writes it for
// the period's kind and first date (data table, key, date, caption, rows, row start, unit
// word, item query, page count), so that the range print's job and the grid page's load
// see exactly what they see after Run.
#pragma once

#include <vector>

#include "client/archive/period_calendar.h"
#include "client/core/client_state.h"
#include "client/core/host.h"

namespace tb::archive {

// Sets the description; the page count comes from the layout database (a failure shows
// its message through the host, gMaxPage is then 0).
void DescribePeriod(ClientState& s, Host& host, const Period& p);

// The pages of the current kind listed for printing, in page order (1 to gMaxPage).
[[nodiscard]] std::vector<int> PrintedPages(ClientState& s, Host& host);

}  // namespace tb::archive
