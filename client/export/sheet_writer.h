// Writes one report page onto a worksheet: page title and period caption on top, then the
// grid (headings with their joined large headings, units, row labels, values, summaries)
// with borders and the page's colours; column widths fitted to the texts; panes frozen
// below the headings and right of the labels; and the page set up for printing (paper,
// orientation, one page wide, headings repeated, caption and title as page header).
#pragma once

#include <xlsxwriter.h>

#include <optional>

#include "client/export/cell_formats.h"
#include "client/export/page_sheet.h"

namespace tb::workbook {

struct PrintSetup {
  std::optional<int> paperCode;  // the printer-settings paper code; nullopt: the default
  bool landscape = true;
};

// The worksheet row of the grid's first heading row (page title and caption above it).
inline constexpr int kGridTopRow = 3;

// Returns the first error the library reported (LXW_NO_ERROR when none); the rest of the
// sheet is still written.
[[nodiscard]] lxw_error WriteSheet(lxw_worksheet* ws, CellFormats& formats, const PageSheet& sheet,
                                   const PrintSetup& print);

}  // namespace tb::workbook
