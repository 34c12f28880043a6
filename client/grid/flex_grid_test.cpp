#include "client/grid/flex_grid.h"

#include <functional>

#include <gtest/gtest.h>

#include "client/core/vb_error.h"

namespace tb {
namespace {

TEST(FlexGrid, ResizeKeepsCellsThatStillExist) {
  FlexGrid g;
  g.SetRows(5);
  g.SetCols(4);
  g.SetTextMatrix(1, 1, "keep");
  g.SetTextMatrix(4, 3, "drop");
  g.SetCellBackColour(1, 1, kGrey);
  g.SetRows(3);
  g.SetCols(3);
  g.SetRows(5);
  g.SetCols(4);
  EXPECT_EQ(g.TextMatrix(1, 1), "keep");
  EXPECT_EQ(g.CellBackColour(1, 1), kGrey);
  EXPECT_EQ(g.TextMatrix(4, 3), "");
}

// Each index at the last place it is valid and the first where it is not, on a 4 x 3
// grid with one fixed row and column.
TEST(FlexGrid, IndexesAreCheckedAtBothEnds) {
  struct Row {
    int line;
    std::function<void(FlexGrid&)> call;
    bool valid;
  };
  const Row rows[] = {
      {__LINE__, [](FlexGrid& g) { g.SetRows(0); }, true},
      {__LINE__, [](FlexGrid& g) { g.SetRows(-1); }, false},
      {__LINE__, [](FlexGrid& g) { g.SetCols(0); }, true},
      {__LINE__, [](FlexGrid& g) { g.SetCols(-1); }, false},
      {__LINE__, [](FlexGrid& g) { g.SetFixedRows(4); }, true},
      {__LINE__, [](FlexGrid& g) { g.SetFixedRows(5); }, false},
      {__LINE__, [](FlexGrid& g) { g.SetFixedRows(-1); }, false},
      {__LINE__, [](FlexGrid& g) { g.SetFixedCols(3); }, true},
      {__LINE__, [](FlexGrid& g) { g.SetFixedCols(4); }, false},
      {__LINE__, [](FlexGrid& g) { g.SetFixedCols(-1); }, false},
      {__LINE__, [](FlexGrid& g) { g.SetRow(3); }, true},
      {__LINE__, [](FlexGrid& g) { g.SetRow(4); }, false},
      {__LINE__, [](FlexGrid& g) { g.SetRow(-1); }, false},
      {__LINE__, [](FlexGrid& g) { g.SetCol(2); }, true},
      {__LINE__, [](FlexGrid& g) { g.SetCol(3); }, false},
      {__LINE__, [](FlexGrid& g) { g.SetCol(-1); }, false},
      {__LINE__, [](FlexGrid& g) { g.SetLeftCol(1); }, true},
      {__LINE__, [](FlexGrid& g) { g.SetLeftCol(2); }, true},
      {__LINE__, [](FlexGrid& g) { g.SetLeftCol(0); }, false},  // a fixed column
      {__LINE__, [](FlexGrid& g) { g.SetLeftCol(3); }, false},
  };
  auto errorOf = [](const std::function<void(FlexGrid&)>& call) {
    FlexGrid g;
    g.SetRows(4);
    g.SetCols(3);
    try {
      call(g);
    } catch (const VbError& e) {
      return e.Number();
    }
    return 0;
  };
  for (const Row& r : rows) EXPECT_EQ(errorOf(r.call), r.valid ? 0 : kErrSubscript) << r.line;

  // Every cell, column and row accessor, at the last cell and just outside each edge.
  enum Takes { kCell, kCol, kRowOnly };
  struct Accessor {
    const char* name;
    Takes takes;
    std::function<void(FlexGrid&, int, int)> call;
  };
  const Accessor accessors[] = {
      {"TextMatrix", kCell, [](FlexGrid& g, int r, int c) { (void)g.TextMatrix(r, c); }},
      {"SetTextMatrix", kCell, [](FlexGrid& g, int r, int c) { g.SetTextMatrix(r, c, "x"); }},
      {"CellForeColour", kCell, [](FlexGrid& g, int r, int c) { (void)g.CellForeColour(r, c); }},
      {"SetCellForeColour", kCell, [](FlexGrid& g, int r, int c) { g.SetCellForeColour(r, c, kGrey); }},
      {"CellBackColour", kCell, [](FlexGrid& g, int r, int c) { (void)g.CellBackColour(r, c); }},
      {"SetCellBackColour", kCell, [](FlexGrid& g, int r, int c) { g.SetCellBackColour(r, c, kGrey); }},
      {"SetCellAlignment", kCell, [](FlexGrid& g, int r, int c) { g.SetCellAlignment(r, c, FlexAlign::kLeftTop); }},
      {"EffectiveAlignment", kCell, [](FlexGrid& g, int r, int c) { (void)g.EffectiveAlignment(r, c); }},
      {"ColWidth", kCol, [](FlexGrid& g, int, int c) { (void)g.ColWidth(c); }},
      {"SetColWidth", kCol, [](FlexGrid& g, int, int c) { g.SetColWidth(c, 10); }},
      {"ColAlignment", kCol, [](FlexGrid& g, int, int c) { (void)g.ColAlignment(c); }},
      {"SetColAlignment", kCol, [](FlexGrid& g, int, int c) { g.SetColAlignment(c, FlexAlign::kLeftTop); }},
      {"FixedAlignment", kCol, [](FlexGrid& g, int, int c) { (void)g.FixedAlignment(c); }},
      {"SetFixedAlignment", kCol, [](FlexGrid& g, int, int c) { g.SetFixedAlignment(c, FlexAlign::kLeftTop); }},
      {"MergeRow", kRowOnly, [](FlexGrid& g, int r, int) { (void)g.MergeRow(r); }},
      {"SetMergeRow", kRowOnly, [](FlexGrid& g, int r, int) { g.SetMergeRow(r, true); }},
      {"MergedSpans", kRowOnly, [](FlexGrid& g, int r, int) { (void)g.MergedSpans(r); }},
  };
  const std::pair<int, int> places[] = {{3, 2}, {0, 0}, {4, 0}, {0, 3}, {-1, 0}, {0, -1}};
  for (const Accessor& a : accessors)
    for (auto [row, col] : places) {
      const bool rowOut = a.takes != kCol && (row < 0 || row >= 4);
      const bool colOut = a.takes != kRowOnly && (col < 0 || col >= 3);
      EXPECT_EQ(errorOf([&](FlexGrid& g) { a.call(g, row, col); }), rowOut || colOut ? kErrSubscript : 0)
          << a.name << " " << row << "," << col;
    }
}

TEST(FlexGrid, ShrinkingMovesCurrentCellAndFixedPartsInside) {
  FlexGrid g;
  g.SetRows(10);
  g.SetCols(10);
  g.SetFixedRows(4);
  g.SetRow(9);
  g.SetCol(9);
  g.SetLeftCol(8);
  g.SetRows(3);
  g.SetCols(3);
  EXPECT_EQ(g.FixedRows(), 3);
  EXPECT_EQ(g.Row(), 2);
  EXPECT_EQ(g.Col(), 2);
  EXPECT_EQ(g.LeftCol(), 2);
}

struct MergeCase {
  int id;
  FlexMerge mode;
  bool rowMergeable;
  std::vector<std::string> texts;  // row 0, columns 0.. (column 0 fixed)
  std::vector<MergedSpan> spans;
};

class FlexGridMerge : public testing::TestWithParam<MergeCase> {};

TEST_P(FlexGridMerge, SpansOfTheTopRow) {
  const auto& p = GetParam();
  FlexGrid g;
  g.SetRows(2);
  g.SetCols(static_cast<int>(p.texts.size()));
  for (int c = 0; c < g.Cols(); ++c) g.SetTextMatrix(0, c, p.texts[static_cast<size_t>(c)]);
  g.SetMergeCells(p.mode);
  g.SetMergeRow(0, p.rowMergeable);
  EXPECT_EQ(g.MergedSpans(0), p.spans) << "case " << p.id;
  EXPECT_EQ(g.MergedSpans(1).size(), p.texts.size()) << "row 1 never merges";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FlexGridMerge,
    testing::Values(
        // Equal large headings of neighbouring tags join.
        MergeCase{1, FlexMerge::kRestrictColumns, true, {"", "A", "A", "B", "A"},
                  {{0, 0}, {1, 2}, {3, 3}, {4, 4}}},
        // Empty tag columns keep their own cells.
        MergeCase{2, FlexMerge::kRestrictColumns, true, {"", "", "", "C", "C"},
                  {{0, 0}, {1, 1}, {2, 2}, {3, 4}}},
        // The fixed label column never joins a tag column of the same text.
        MergeCase{3, FlexMerge::kRestrictColumns, true, {"X", "X", "X"}, {{0, 0}, {1, 2}}},
        // Without merging, or with the row not marked, every cell stands alone.
        MergeCase{4, FlexMerge::kNever, true, {"", "A", "A"}, {{0, 0}, {1, 1}, {2, 2}}},
        MergeCase{5, FlexMerge::kRestrictColumns, false, {"", "A", "A"},
                  {{0, 0}, {1, 1}, {2, 2}}}));

}  // namespace
}  // namespace tb
