// A report period named by its kind and key, described in the shared state as Run leaves
// it for the grid page: for work that starts without the selection page (the command-line
// export, the archive).
#pragma once

#include <chrono>
#include <optional>
#include <string_view>

#include "client/core/client_state.h"
#include "client/core/host.h"

namespace tb::workbook {

// The first day of the period whose key is written as the kind writes it: "2026/12/8"
// (daily), "2026/12" (monthly), "2026" (yearly); leading zeros are allowed, years run from
// 100 to 9999. nullopt for any other text or a date that does not exist.
[[nodiscard]] std::optional<std::chrono::year_month_day> ParsePeriodKey(int kind, std::string_view key);

// Writes kind, period key, first date, caption, row count, first row label, unit word,
// data table and item query, reads the page count from the layout database and sets the
// current page to 1. Requires: the settings read (ReadSettings). Returns false when the
// page count could not be read (the layout database's message has been shown to `host`).
[[nodiscard]] bool DescribePeriod(ClientState& s, Host& host, int kind, std::chrono::year_month_day first);

}  // namespace tb::workbook
