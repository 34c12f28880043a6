// FlexGrid: the model of a flexible grid control as the grid page and the page-title list
// use it. Rows and columns (the first FixedRows / FixedCols are headings that do not
// scroll), column widths in twips, alignment per column (scrollable and fixed cells
// separately) and per cell, cell text, text and background colours per cell, the current
// cell, the first scrollable column shown (LeftCol), visibility, font size, and cell
// merging. A host renders it as it is (Control::grid points to it); page models change it.
// Not thread-safe: owned by one document on its UI thread.
//
// Out-of-range indexes throw VbError (number kErrSubscript), as the grid control raises an
// error there; callers in resume mode pass over them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "client/core/controls.h"

namespace tb {

// Error number of an out-of-range row or column index.
inline constexpr int kErrSubscript = 381;

// Alignment values of the grid control (left/centre/right x top/centre/bottom, general).
enum class FlexAlign {
  kLeftTop = 0, kLeftCenter = 1, kLeftBottom = 2,
  kCenterTop = 3, kCenterCenter = 4, kCenterBottom = 5,
  kRightTop = 6, kRightCenter = 7, kRightBottom = 8,
  kGeneral = 9,  // text left, numbers right
};

// Merge modes; the grid page uses kRestrictColumns.
enum class FlexMerge { kNever = 0, kFree = 1, kRestrictRows = 2, kRestrictColumns = 3 };

// A run of neighbouring cells of one row shown as one cell: columns first..last.
struct MergedSpan {
  int first = 0;
  int last = 0;
  friend bool operator==(const MergedSpan&, const MergedSpan&) = default;
};

class FlexGrid {
 public:
  static constexpr int kDefaultColWidth = 960;  // twips, the control's default

  FlexGrid();

  // Geometry. Changing Rows or Cols keeps the cells that still exist.
  [[nodiscard]] int Rows() const { return rows_; }
  [[nodiscard]] int Cols() const { return cols_; }
  void SetRows(int rows);
  void SetCols(int cols);
  [[nodiscard]] int FixedRows() const { return fixedRows_; }
  [[nodiscard]] int FixedCols() const { return fixedCols_; }
  void SetFixedRows(int n);
  void SetFixedCols(int n);
  [[nodiscard]] int ColWidth(int col) const;
  void SetColWidth(int col, int twips);

  // Alignment: ColAlignment applies to the scrollable cells of a column, FixedAlignment
  // to its fixed cells; a cell's own alignment overrides both.
  [[nodiscard]] FlexAlign ColAlignment(int col) const;
  void SetColAlignment(int col, FlexAlign a);
  [[nodiscard]] FlexAlign FixedAlignment(int col) const;
  void SetFixedAlignment(int col, FlexAlign a);
  void SetCellAlignment(int row, int col, FlexAlign a);
  // The alignment a renderer uses for one cell.
  [[nodiscard]] FlexAlign EffectiveAlignment(int row, int col) const;

  // Cell contents and colours; nullopt colours mean the grid's default.
  [[nodiscard]] const std::string& TextMatrix(int row, int col) const;
  void SetTextMatrix(int row, int col, std::string text);
  [[nodiscard]] std::optional<Colour> CellForeColour(int row, int col) const;
  void SetCellForeColour(int row, int col, std::optional<Colour> c);
  [[nodiscard]] std::optional<Colour> CellBackColour(int row, int col) const;
  void SetCellBackColour(int row, int col, std::optional<Colour> c);

  // Empties every cell (text, colours, cell alignment); geometry stays.
  void Clear();

  // The current cell.
  [[nodiscard]] int Row() const { return row_; }
  [[nodiscard]] int Col() const { return col_; }
  void SetRow(int row);
  void SetCol(int col);
  // The current cell's text (the control's Text property).
  [[nodiscard]] const std::string& Text() const { return TextMatrix(row_, col_); }

  // The first scrollable column shown at the left (after the fixed columns).
  [[nodiscard]] int LeftCol() const { return leftCol_; }
  void SetLeftCol(int col);

  [[nodiscard]] bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }
  [[nodiscard]] double FontSize() const { return fontSize_; }
  void SetFontSize(double points) { fontSize_ = points; }

  // Merging: with a mode other than kNever, neighbouring cells of a mergeable row that
  // hold the same non-empty text join into one cell.
  [[nodiscard]] FlexMerge MergeCells() const { return merge_; }
  void SetMergeCells(FlexMerge m) { merge_ = m; }
  [[nodiscard]] bool MergeRow(int row) const;
  void SetMergeRow(int row, bool mergeable);
  // The cells of `row` as the renderer draws them: one span per shown cell, left to
  // right, covering every column once. Fixed and scrollable columns never join.
  [[nodiscard]] std::vector<MergedSpan> MergedSpans(int row) const;

 private:
  struct Cell {
    std::string text;
    std::optional<Colour> fore, back;
    std::optional<FlexAlign> align;
  };
  void CheckRow(int row) const;
  void CheckCol(int col) const;
  void Resize(int rows, int cols);
  [[nodiscard]] Cell& At(int row, int col);
  [[nodiscard]] const Cell& At(int row, int col) const;

  int rows_ = 0, cols_ = 0;
  int fixedRows_ = 1, fixedCols_ = 1;
  int row_ = 1, col_ = 1, leftCol_ = 1;
  bool visible_ = true;
  double fontSize_ = 9;
  FlexMerge merge_ = FlexMerge::kNever;
  std::vector<Cell> cells_;  // row-major, rows_ x cols_
  std::vector<int> colWidth_;
  std::vector<FlexAlign> colAlign_, fixedAlign_;
  std::vector<bool> mergeRow_;
};

}  // namespace tb
