#include "client/export/sheet_writer.h"

#include <algorithm>
#include <string>

#include "client/export/safe_text.h"
#include "client/export/text_width.h"

namespace tb::workbook {

namespace {

constexpr int kMinColWidth = 6;
constexpr int kMaxColWidth = 40;

// Keeps the first error and goes on, so one bad cell costs only itself.
struct Errors {
  lxw_error first = LXW_NO_ERROR;
  void operator()(lxw_error e) {
    if (first == LXW_NO_ERROR) first = e;
  }
};

lxw_row_t Row(int gridRow) { return static_cast<lxw_row_t>(kGridTopRow + gridRow); }
lxw_col_t Col(int gridCol) { return static_cast<lxw_col_t>(gridCol); }

CellRole RoleOf(const PageSheet& sheet, int row, int col) {
  if (row < sheet.headingRows) return CellRole::kHeading;
  if (col < sheet.labelCols) return CellRole::kLabel;
  return CellRole::kValue;
}

lxw_format* FormatOf(CellFormats& formats, const PageSheet& sheet, int row, int col) {
  const SheetCell& cell = sheet.At(row, col);
  return formats.Get({RoleOf(sheet, row, col), cell.fore, cell.back, cell.numberFormat});
}

void WriteCell(lxw_worksheet* ws, lxw_format* f, const SheetCell& cell, int row, int col,
               Errors& errors) {
  switch (cell.value.kind) {
    case CellKind::kEmpty:
      errors(worksheet_write_blank(ws, Row(row), Col(col), f));
      break;
    case CellKind::kText:
      errors(worksheet_write_string(ws, Row(row), Col(col), SafeText(cell.value.text).c_str(), f));
      break;
    case CellKind::kNumber:
    case CellKind::kDuration:
      errors(worksheet_write_number(ws, Row(row), Col(col), cell.value.number, f));
      break;
  }
}

bool IsJoined(const PageSheet& sheet, int row, int col) {
  return std::any_of(sheet.joined.begin(), sheet.joined.end(), [&](const JoinedCells& j) {
    return j.row == row && col >= j.first && col <= j.last;
  });
}

void WriteGrid(lxw_worksheet* ws, CellFormats& formats, const PageSheet& sheet, Errors& errors) {
  for (int r = 0; r < sheet.rows; ++r)
    for (int c = 0; c < sheet.cols; ++c)
      if (!IsJoined(sheet, r, c)) WriteCell(ws, FormatOf(formats, sheet, r, c), sheet.At(r, c), r, c, errors);
  for (const auto& j : sheet.joined)
    errors(worksheet_merge_range(ws, Row(j.row), Col(j.first), Row(j.row), Col(j.last),
                                 SafeText(sheet.At(j.row, j.first).shown).c_str(),
                                 FormatOf(formats, sheet, j.row, j.first)));
}

// Wide enough for the longest text of the column; a joined heading spreads over its
// columns and does not widen one of them.
void FitColumns(lxw_worksheet* ws, const PageSheet& sheet, Errors& errors) {
  for (int c = 0; c < sheet.cols; ++c) {
    int widest = 0;
    for (int r = 0; r < sheet.rows; ++r)
      if (!IsJoined(sheet, r, c)) widest = std::max(widest, DisplayWidth(sheet.At(r, c).shown));
    const int width = std::clamp(widest + 2, kMinColWidth, kMaxColWidth);
    errors(worksheet_set_column(ws, Col(c), Col(c), width, nullptr));
  }
}

void SetUpPrinting(lxw_worksheet* ws, const PageSheet& sheet, const PrintSetup& print,
                   Errors& errors) {
  if (print.paperCode) worksheet_set_paper(ws, static_cast<std::uint8_t>(*print.paperCode));
  if (print.landscape) worksheet_set_landscape(ws);
  else worksheet_set_portrait(ws);
  worksheet_fit_to_pages(ws, 1, 0);
  worksheet_center_horizontally(ws);
  const std::string header = "&L" + HeaderText(sheet.periodCaption) + "&R" + HeaderText(sheet.pageTitle);
  errors(worksheet_set_header(ws, header.c_str()));
  errors(worksheet_set_footer(ws, "&C&P / &N"));
  const lxw_row_t last = Row(sheet.rows - 1);
  errors(worksheet_print_area(ws, 0, 0, last, Col(sheet.cols - 1)));
  // Only the heading rows repeat: the sheet prints one page wide, so the label column is
  // on every page anyway. (The library also cuts a defined name at 127 bytes, and a
  // title range of rows and columns names a 31-character Japanese sheet twice.)
  if (sheet.headingRows > 0) errors(worksheet_repeat_rows(ws, Row(0), Row(sheet.headingRows - 1)));
}

}  // namespace

lxw_error WriteSheet(lxw_worksheet* ws, CellFormats& formats, const PageSheet& sheet,
                     const PrintSetup& print) {
  Errors errors;
  errors(worksheet_write_string(ws, 0, 0, SafeText(sheet.pageTitle).c_str(),
                                formats.Get({CellRole::kPageTitle})));
  errors(worksheet_write_string(ws, 1, 0, SafeText(sheet.periodCaption).c_str(),
                                formats.Get({CellRole::kCaption})));
  if (sheet.rows == 0 || sheet.cols == 0) return errors.first;
  WriteGrid(ws, formats, sheet, errors);
  FitColumns(ws, sheet, errors);
  worksheet_freeze_panes(ws, Row(sheet.headingRows), Col(sheet.labelCols));
  // Row labels ("21") and marks are text on purpose: no "number stored as text" flags.
  char range[LXW_MAX_CELL_RANGE_LENGTH];
  lxw_rowcol_to_range(range, Row(0), 0, Row(sheet.rows - 1), Col(sheet.cols - 1));
  errors(worksheet_ignore_errors(ws, LXW_IGNORE_NUMBER_STORED_AS_TEXT, range));
  SetUpPrinting(ws, sheet, print, errors);
  return errors.first;
}

}  // namespace tb::workbook
