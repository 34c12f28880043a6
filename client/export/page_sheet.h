// One report page as a sheet of the workbook: the grid page's cells after its load (texts
// read back as numbers and durations where they show one, text and background colours,
// the joined large headings) with the page's title and period caption. Built from a
// loaded grid page, so that the workbook shows exactly what the page shows.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "client/core/client_state.h"
#include "client/core/controls.h"
#include "client/export/cell_value.h"
#include "client/grid/flex_grid.h"

namespace tb {
class DocGrid;
}

namespace tb::workbook {

struct SheetCell {
  std::string shown;  // the text the grid shows
  CellValue value;
  std::optional<Colour> fore, back;  // nullopt: the default colours
  std::string numberFormat;          // numbers and durations only
};

// Neighbouring cells of one row that the grid shows as one (equal large headings).
struct JoinedCells {
  int row = 0, first = 0, last = 0;
  friend bool operator==(const JoinedCells&, const JoinedCells&) = default;
};

struct PageSheet {
  int page = 0;
  std::string pageTitle, periodCaption;
  int headingRows = 4;  // large, middle, small heading, unit
  int labelCols = 1;    // the row-label column
  int rows = 0;         // heading, period and summary rows
  int cols = 0;         // the label column and the tag columns up to the last one in use
  std::vector<SheetCell> cells;          // row-major, rows x cols
  std::vector<JoinedCells> joined;       // as the grid merges them (first < last)

  [[nodiscard]] const SheetCell& At(int row, int col) const {
    return cells[static_cast<size_t>(row) * static_cast<size_t>(cols) + static_cast<size_t>(col)];
  }
};

// The sheet of a grid as the page's load left it: `s` gives each column's digit pattern
// and display type and the thousands-separator setting. Columns right of the last one
// that holds a text are left off (a page with fewer than 15 tags).
[[nodiscard]] PageSheet SheetFromGrid(const FlexGrid& grid, const ClientState& s, int page,
                                      std::string pageTitle, std::string periodCaption);

// The sheet of the grid page on show: its grid, its page number and its two captions.
[[nodiscard]] PageSheet SheetOfPage(const DocGrid& doc, const ClientState& s);

}  // namespace tb::workbook
