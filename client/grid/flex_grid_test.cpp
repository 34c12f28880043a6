#include "client/grid/flex_grid.h"

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

TEST(FlexGrid, OutOfRangeIndexesRaiseSubscriptErrors) {
  FlexGrid g;  // 2 x 2
  auto number = [](auto&& f) {
    try {
      f();
    } catch (const VbError& e) {
      return e.Number();
    }
    return 0;
  };
  EXPECT_EQ(number([&] { g.SetTextMatrix(2, 0, "x"); }), kErrSubscript);
  EXPECT_EQ(number([&] { (void)g.TextMatrix(0, -1); }), kErrSubscript);
  EXPECT_EQ(number([&] { g.SetFixedRows(3); }), kErrSubscript);
  EXPECT_EQ(number([&] { g.SetLeftCol(0); }), kErrSubscript);  // a fixed column
  EXPECT_EQ(number([&] { g.SetCol(2); }), kErrSubscript);
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
