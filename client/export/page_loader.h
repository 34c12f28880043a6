// Loads any page of the report period described in a ClientState through the grid page's
// own load, without showing it: the sheet comes out exactly as the page would show that
// page. The state's grid-page values (current page, page query, column patterns and
// display types, grid column) are put back afterwards, so a grid page on show keeps its
// own. Runs on the state's UI thread.
#pragma once

#include <string>
#include <vector>

#include "client/core/client_state.h"
#include "client/export/page_sheet.h"

namespace tb::workbook {

struct LoadedPage {
  PageSheet sheet;
  std::vector<std::string> messages;  // what the load would have shown (database faults)
};

// Requires: the report described as Run leaves it (kind, key, caption, rows, tables, item
// query, settings read).
[[nodiscard]] LoadedPage LoadPage(ClientState& s, int page);

}  // namespace tb::workbook
