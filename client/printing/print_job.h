// The client's two print jobs. Each opens one form-library session on the default
// printer, chooses paper and form file from the configured paper size, prints each page
// (form, filled fields, FmPrintOut) and closes the session. The session is always closed
// and the value query released before a job returns, also when a database error ends it.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "client/core/client_state.h"
#include "client/core/host.h"
#include "client/printing/page_fill.h"

namespace tb::print {

// Loads the form library on first use. When it cannot be loaded (missing file, missing
// export), the reason goes to the operation log, the printer error message shows with the
// error number, and false is returned: the job must not start.
bool FormLibraryReady(ClientState& s, Host& host);

// A range's next period's values, read while the form library still draws the period's
// last page, so that reading them costs the range no time. A read that fails is dropped
// without a word: the next period reads again in its turn and reports the failure there,
// after this period's own messages.
class ValuesReadAhead {
 public:
  // The period to read ahead for during the next job; none when the range ends with it.
  void SetNextPeriod(std::optional<std::chrono::year_month_day> next) { next_ = next; }
  // Reads the next period's values on the open data connection (none: nothing is read).
  void Read(ClientState& s);
  // The values read for `key`, once; none when they were read for another key or not read.
  std::optional<db::Recordset> Take(const std::string& key);

 private:
  std::optional<std::chrono::year_month_day> next_;
  std::string key_;
  std::optional<db::Recordset> values_;
};

// Prints every page of the current report kind that is listed in the pages-to-print
// table, for the period that starts at `periodDate`. Database errors propagate (VbError);
// the session and queries are closed first. With `ahead`, the period's values are taken
// from it when it holds them, and the next period's are read before the session closes.
void PrintReportPeriod(ClientState& s, Host& host, std::chrono::year_month_day periodDate,
                       ValuesReadAhead* ahead = nullptr);

// The grid page's print button: asks, then prints the page on show as the grid shows it.
void PrintGridPage(ClientState& s, Host& host, GridPageView& grid);

}  // namespace tb::print
