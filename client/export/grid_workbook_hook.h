// Connects the workbook export to the grid page: its Excel button asks for a file name
// and whether to write the whole period or the page on show, writes the workbook with the
// hourglass and a page count in the status text, and reports a failure in a message box.
// The web host installs the hook once when it starts.
#pragma once

#include <string>

#include "client/core/client_state.h"
#include "client/core/host.h"
#include "client/grid/doc_grid.h"

namespace tb::workbook {

// The button's work, for one click on the page `doc`.
void ExportFromGridPage(ClientState& s, Host& host, DocGrid& doc);

// The proposed file name: the CSV export's, ending in ".xlsx" (03040103.xlsx).
[[nodiscard]] std::string DefaultWorkbookName(const DocGrid& doc);

// Sets the grid page's workbook hook (once, at start-up, before any session runs).
void InstallGridWorkbookHook();

}  // namespace tb::workbook
