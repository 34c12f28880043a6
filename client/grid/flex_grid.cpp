#include "client/grid/flex_grid.h"

#include <algorithm>
#include <string>

#include "client/core/vb_error.h"

namespace tb {

namespace {

[[noreturn]] void ThrowSubscript(const char* what, int value) {
  throw VbError(kErrSubscript, kErrSource,
                std::string("グリッドの") + what + "が範囲外です: " + std::to_string(value));
}

}  // namespace

// The control's design-time defaults: 2 x 2 cells, one fixed row and column.
FlexGrid::FlexGrid() { Resize(2, 2); }

void FlexGrid::Resize(int rows, int cols) {
  std::vector<Cell> cells(static_cast<size_t>(rows) * static_cast<size_t>(cols));
  for (int r = 0; r < std::min(rows, rows_); ++r)
    for (int c = 0; c < std::min(cols, cols_); ++c)
      cells[static_cast<size_t>(r) * cols + c] = std::move(At(r, c));
  cells_ = std::move(cells);
  colWidth_.resize(static_cast<size_t>(cols), kDefaultColWidth);
  colAlign_.resize(static_cast<size_t>(cols), FlexAlign::kGeneral);
  fixedAlign_.resize(static_cast<size_t>(cols), FlexAlign::kLeftCenter);
  mergeRow_.resize(static_cast<size_t>(rows), false);
  rows_ = rows;
  cols_ = cols;
  // Fixed parts and the current cell shrink with the grid.
  fixedRows_ = std::min(fixedRows_, rows_);
  fixedCols_ = std::min(fixedCols_, cols_);
  row_ = std::clamp(row_, 0, std::max(rows_ - 1, 0));
  col_ = std::clamp(col_, 0, std::max(cols_ - 1, 0));
  leftCol_ = std::clamp(leftCol_, fixedCols_, std::max(cols_ - 1, fixedCols_));
}

void FlexGrid::SetRows(int rows) {
  if (rows < 0) ThrowSubscript("行数", rows);
  Resize(rows, cols_);
}

void FlexGrid::SetCols(int cols) {
  if (cols < 0) ThrowSubscript("列数", cols);
  Resize(rows_, cols);
}

void FlexGrid::SetFixedRows(int n) {
  if (n < 0 || n > rows_) ThrowSubscript("固定行数", n);
  fixedRows_ = n;
}

void FlexGrid::SetFixedCols(int n) {
  if (n < 0 || n > cols_) ThrowSubscript("固定列数", n);
  fixedCols_ = n;
  leftCol_ = std::max(leftCol_, fixedCols_);
}

void FlexGrid::CheckRow(int row) const {
  if (row < 0 || row >= rows_) ThrowSubscript("行", row);
}

void FlexGrid::CheckCol(int col) const {
  if (col < 0 || col >= cols_) ThrowSubscript("列", col);
}

FlexGrid::Cell& FlexGrid::At(int row, int col) {
  return cells_[static_cast<size_t>(row) * static_cast<size_t>(cols_) + static_cast<size_t>(col)];
}

const FlexGrid::Cell& FlexGrid::At(int row, int col) const {
  return cells_[static_cast<size_t>(row) * static_cast<size_t>(cols_) + static_cast<size_t>(col)];
}

int FlexGrid::ColWidth(int col) const {
  CheckCol(col);
  return colWidth_[static_cast<size_t>(col)];
}

void FlexGrid::SetColWidth(int col, int twips) {
  CheckCol(col);
  colWidth_[static_cast<size_t>(col)] = std::max(twips, 0);
}

FlexAlign FlexGrid::ColAlignment(int col) const {
  CheckCol(col);
  return colAlign_[static_cast<size_t>(col)];
}

void FlexGrid::SetColAlignment(int col, FlexAlign a) {
  CheckCol(col);
  colAlign_[static_cast<size_t>(col)] = a;
}

FlexAlign FlexGrid::FixedAlignment(int col) const {
  CheckCol(col);
  return fixedAlign_[static_cast<size_t>(col)];
}

void FlexGrid::SetFixedAlignment(int col, FlexAlign a) {
  CheckCol(col);
  fixedAlign_[static_cast<size_t>(col)] = a;
}

void FlexGrid::SetCellAlignment(int row, int col, FlexAlign a) {
  CheckRow(row);
  CheckCol(col);
  At(row, col).align = a;
}

FlexAlign FlexGrid::EffectiveAlignment(int row, int col) const {
  CheckRow(row);
  CheckCol(col);
  if (const auto& own = At(row, col).align) return *own;
  const bool fixed = row < fixedRows_ || col < fixedCols_;
  return fixed ? fixedAlign_[static_cast<size_t>(col)] : colAlign_[static_cast<size_t>(col)];
}

const std::string& FlexGrid::TextMatrix(int row, int col) const {
  CheckRow(row);
  CheckCol(col);
  return At(row, col).text;
}

void FlexGrid::SetTextMatrix(int row, int col, std::string text) {
  CheckRow(row);
  CheckCol(col);
  At(row, col).text = std::move(text);
}

std::optional<Colour> FlexGrid::CellForeColour(int row, int col) const {
  CheckRow(row);
  CheckCol(col);
  return At(row, col).fore;
}

void FlexGrid::SetCellForeColour(int row, int col, std::optional<Colour> c) {
  CheckRow(row);
  CheckCol(col);
  At(row, col).fore = c;
}

std::optional<Colour> FlexGrid::CellBackColour(int row, int col) const {
  CheckRow(row);
  CheckCol(col);
  return At(row, col).back;
}

void FlexGrid::SetCellBackColour(int row, int col, std::optional<Colour> c) {
  CheckRow(row);
  CheckCol(col);
  At(row, col).back = c;
}

void FlexGrid::Clear() {
  for (auto& cell : cells_) cell = Cell{};
}

void FlexGrid::SetRow(int row) {
  CheckRow(row);
  row_ = row;
}

void FlexGrid::SetCol(int col) {
  CheckCol(col);
  col_ = col;
}

void FlexGrid::SetLeftCol(int col) {
  if (col < fixedCols_ || col >= cols_) ThrowSubscript("表示開始列", col);
  leftCol_ = col;
}

bool FlexGrid::MergeRow(int row) const {
  CheckRow(row);
  return mergeRow_[static_cast<size_t>(row)];
}

void FlexGrid::SetMergeRow(int row, bool mergeable) {
  CheckRow(row);
  mergeRow_[static_cast<size_t>(row)] = mergeable;
}

// Within a mergeable row neighbours of equal text join. The restricting modes only limit
// merges against the row above, and the grid page marks just its top row, so for it every
// mode other than kNever gives the same spans. Empty cells stay single so that columns
// without a tag keep their own grid lines.
std::vector<MergedSpan> FlexGrid::MergedSpans(int row) const {
  CheckRow(row);
  std::vector<MergedSpan> spans;
  const bool merging = merge_ != FlexMerge::kNever && mergeRow_[static_cast<size_t>(row)];
  for (int c = 0; c < cols_; ++c) {
    if (merging && !spans.empty()) {
      auto& last = spans.back();
      const bool sameSide = (last.last < fixedCols_) == (c < fixedCols_);
      const auto& text = At(row, c).text;
      if (sameSide && !text.empty() && text == At(row, last.last).text) {
        last.last = c;
        continue;
      }
    }
    spans.push_back({c, c});
  }
  return spans;
}

}  // namespace tb
