// The client's two print jobs. Each opens one form-library session on the default
// printer, chooses paper and form file from the configured paper size, prints each page
// (form, filled fields, FmPrintOut) and closes the session. The session is always closed
// and the value query released before a job returns, also when a database error ends it.
#pragma once

#include <chrono>

#include "client/core/client_state.h"
#include "client/core/host.h"
#include "client/printing/page_fill.h"

namespace tb::print {

// Loads the form library on first use. When it cannot be loaded (missing file, missing
// export), the reason goes to the operation log, the printer error message shows with the
// error number, and false is returned: the job must not start.
bool FormLibraryReady(ClientState& s, Host& host);

// Prints every page of the current report kind that is listed in the pages-to-print
// table, for the period that starts at `periodDate`. Database errors propagate (VbError);
// the session and queries are closed first.
void PrintReportPeriod(ClientState& s, Host& host, std::chrono::year_month_day periodDate);

// The grid page's print button: asks, then prints the page on show as the grid shows it.
void PrintGridPage(ClientState& s, Host& host, GridPageView& grid);

}  // namespace tb::print
