#include "client/export/page_sheet.h"

#include "client/grid/doc_grid.h"

namespace tb::workbook {

namespace {

int UsedCols(const FlexGrid& grid) {
  int used = grid.FixedCols();
  for (int r = 0; r < grid.Rows(); ++r)
    for (int c = used; c < grid.Cols(); ++c)
      if (!grid.TextMatrix(r, c).empty()) used = c + 1;
  return used;
}

SheetCell Cell(const FlexGrid& grid, const ClientState& s, int row, int col) {
  SheetCell cell;
  cell.fore = grid.CellForeColour(row, col);
  cell.back = grid.CellBackColour(row, col);
  const std::string& text = grid.TextMatrix(row, col);
  cell.shown = text;
  const bool valueCell = row >= grid.FixedRows() && col >= grid.FixedCols();
  if (!valueCell) {
    if (!text.empty()) cell.value = {CellKind::kText, text, 0};
    return cell;
  }
  const auto c = static_cast<size_t>(col);
  const int type = s.gColDisplayType[c];
  cell.value = ReadShownValue(text, type, s.gColPattern[c], s.gKetaFlg);
  if (cell.value.kind == CellKind::kNumber || cell.value.kind == CellKind::kDuration)
    cell.numberFormat = ColumnNumberFormat(type, s.gColPattern[c], s.gKetaFlg).value_or("General");
  return cell;
}

}  // namespace

PageSheet SheetFromGrid(const FlexGrid& grid, const ClientState& s, int page, std::string pageTitle,
                        std::string periodCaption) {
  PageSheet sheet;
  sheet.page = page;
  sheet.pageTitle = std::move(pageTitle);
  sheet.periodCaption = std::move(periodCaption);
  sheet.headingRows = grid.FixedRows();
  sheet.labelCols = grid.FixedCols();
  sheet.rows = grid.Rows();
  sheet.cols = UsedCols(grid);
  sheet.cells.reserve(static_cast<size_t>(sheet.rows) * static_cast<size_t>(sheet.cols));
  for (int r = 0; r < sheet.rows; ++r)
    for (int c = 0; c < sheet.cols; ++c) sheet.cells.push_back(Cell(grid, s, r, c));
  if (grid.MergeCells() != FlexMerge::kNever)
    for (int r = 0; r < sheet.rows; ++r)
      if (grid.MergeRow(r))
        for (const auto& span : grid.MergedSpans(r))
          if (span.first < span.last && span.last < sheet.cols)
            sheet.joined.push_back({r, span.first, span.last});
  return sheet;
}

PageSheet SheetOfPage(const DocGrid& doc, const ClientState& s) {
  const auto& controls = doc.Controls();
  return SheetFromGrid(doc.Grid(), s, s.gCurrentPage, controls.Find("lblPageTitle")->caption,
                       controls.Find("lblTitle")->caption);
}

}  // namespace tb::workbook
