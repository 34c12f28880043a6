// The workbook of a report period: every page of the period described in the shared state
// (pages 1 to gMaxPage) or one of them, each loaded as the grid page loads it, written as
// one sheet per page. The entry point for the grid page's button, the command-line export
// and the archive. Runs on the state's UI thread; the state's grid-page values are kept.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "client/core/client_state.h"

namespace tb {
class DocGrid;
}

namespace tb::workbook {

struct ExportResult {
  bool ok = false;
  std::string message;  // why not: the first database message of a load, or the file's
  int sheets = 0;
};

// Called before each page is loaded: pages done so far and pages in all.
using ExportProgress = std::function<void(int done, int total)>;

// Requires: the report described as Run leaves it. `page` = nullopt: the whole period;
// otherwise that page only (1 to gMaxPage). A load that reports a database fault fails the
// export with that message, as a workbook without its values would pass for a complete
// one; nothing is written then.
[[nodiscard]] ExportResult ExportPeriodWorkbook(ClientState& s, const std::filesystem::path& file,
                                                std::optional<int> page = std::nullopt,
                                                const ExportProgress& progress = {});

// The workbook of the grid page on show, one sheet as the page shows it (no new load).
[[nodiscard]] ExportResult ExportShownPage(const DocGrid& doc, const ClientState& s,
                                           const std::filesystem::path& file);

// The workbook's document title: kind and period key ("日報 2026/12/8").
[[nodiscard]] std::string WorkbookTitle(const ClientState& s);

}  // namespace tb::workbook
