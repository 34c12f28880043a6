// What the data database holds for the archive: which periods have rows at all, and a
// fingerprint of the rows a period's report is made from. The fingerprint is the SHA-256
// of the period's rows (query 8 of the report, the one the range print runs) over the
// columns a report shows: DATE, TAG_ID, the value columns of the period's rows (24 hours,
// the month's days, 12 months) and TOTAL, AVE, MAX, MIN, with Null told apart from the
// empty text and the rows in a fixed order. A corrected value changes it; a column the
// reports never read does not. Owns its own connection; not thread-safe.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "client/archive/period_calendar.h"
#include "client/core/client_state.h"
#include "client/core/database.h"

namespace tb::archive {

class PeriodData {
 public:
  // Opens the data database the state's settings name. Throws db::DbError.
  explicit PeriodData(const ClientState& s);

  // The keys of the kind's data table that name a period as the reports write keys.
  [[nodiscard]] std::set<Period> PeriodsWithRows(Kind kind);
  // The fingerprint of the period's rows (of no rows, when it has none).
  struct Rows {
    std::size_t count = 0;
    std::string fingerprint;
  };
  [[nodiscard]] Rows Read(const Period& p);

 private:
  std::unique_ptr<db::Connection> cn_;
};

// The fingerprint of a row set as the reports of `p` read it (exposed for tests).
[[nodiscard]] std::string FingerprintOf(const Period& p, db::Recordset rows);

}  // namespace tb::archive
