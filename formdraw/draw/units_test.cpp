#include "formdraw/draw/units.h"

#include <gtest/gtest.h>

namespace fd::draw {
namespace {

// Expected values worked out by hand from the conversion formulas, divisions in order.
TEST(Units, MillimetresTwipsAndDots) {
  struct Row {
    int id;
    int got, expected;
  } rows[] = {
      {1, MmToDots(10, 300), 1},        // 10000 / 8466
      {2, MmToDots(10, 600), 2},        // 10000 / 4233
      {3, MmToDots(2540, 300), 300},    // one inch
      {4, MmToDots(2540, 0), 0},        // no resolution
      {5, MmToDots(-2540, 300), -300},  // truncates towards zero
      {6, DotsToMm(300, 300), 2544},    // (762000 + 1270) / 300
      {7, DotsToMm(1, 300), 12},        // (2540 + 1270) / 300
      {8, TwipsToMm(1440), 2540},       // 2540160 / 1000
      {9, TwipsToMm(-1440), -2540},
      {10, Magnify(1000, 50, 20), 520},
      {11, Magnify(333, 150, 0), 499},  // 49950 / 100
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.id);
    EXPECT_EQ(r.got, r.expected);
  }
}

TEST(Units, FormPassTwipsToDots) {
  struct Row {
    int id;
    int v, mag, dpi, off, expected;
  } rows[] = {
      {1, 1440, 100, 300, 0, 300},  // 1440000 / 48 / 100
      {2, 1440, 150, 300, 5, 455},  // 2160000 / 48 = 45000, / 100 = 450, + 5
      {3, 1440, 100, 600, 0, 600},  // factor 24
      {4, -100, 100, 300, 0, -20},  // -100000 / 48 = -2083, / 100 = -20
      {5, 1000, 100, 0, 7, 7},      // no resolution: only the offset
      {6, 1440, 100, 20000, 0, 14400},  // factor 0 taken as 1
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.id);
    EXPECT_EQ(TwipsToDots(r.v, r.mag, r.dpi, r.off), r.expected);
  }
  const FormScale s{300, 100, 10, 20};
  EXPECT_EQ(FormX(1440, s), 310);
  EXPECT_EQ(FormY(1440, s), 320);
  EXPECT_EQ(FormSize(1440, s), 300);
}

TEST(Units, PenWidths) {
  struct Row {
    int id;
    int got, expected;
  } rows[] = {
      // Shape pens: ((w * 480 / factor + 9) / 10 * mag + 99) / 100.
      {1, ShapePenWidth(0, 1, 100, 300), 1},  // 10 + 9 = 19 / 10 = 1
      {2, ShapePenWidth(0, 4, 100, 300), 4},  // 40 + 9 = 49 / 10 = 4
      {3, ShapePenWidth(0, 1, 100, 600), 2},  // 20 + 9 = 29 / 10 = 2
      {4, ShapePenWidth(0, 0, 100, 300), 0},  // 9 / 10 = 0: the device draws 1 dot
      {5, ShapePenWidth(0, 3, 50, 300), 2},   // 3 * 50 = 150 + 99 = 249 / 100
      {6, ShapePenWidth(2, 10, 100, 300), 1}, // styled pens are 1 dot
      // FmSetLine: (dots * dpi + 299) / 300, at least 1.
      {7, LinePenWidth(0, 10, 300), 1},    // 1 dot, (300 + 299) / 300
      {8, LinePenWidth(0, 10, 600), 4},    // 2 dots, (1200 + 299) / 300
      {9, LinePenWidth(2, 100, 300), 1},   // dotted: 1 dot
      {10, LinePenWidth(0, 0, 300), 1},    // at least 1
      {11, LinePenWidth(0, 100, 300), 11}, // 11 dots, (3300 + 299) / 300
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.id);
    EXPECT_EQ(r.got, r.expected);
  }
}

TEST(Units, CornersStepsAndRectangles) {
  EXPECT_EQ(FormCornerSize(1, 100, 300), 46);   // 2250 / 48
  EXPECT_EQ(FormCornerSize(2, 100, 300), 93);   // 4500 / 48
  EXPECT_EQ(FormCornerSize(3, 100, 300), 140);  // 6750 / 48
  EXPECT_EQ(FormCornerSize(1, 200, 600), 187);  // 4500 / 24
  EXPECT_EQ(FormCornerSize(0, 100, 300), 0);
  EXPECT_EQ(FormCornerSize(4, 100, 300), 0);

  EXPECT_EQ(DecorationStep(100, 300), 3);  // (30 + 9) / 10 = 3, (300 + 99) / 100
  EXPECT_EQ(DecorationStep(100, 600), 6);  // (60 + 9) / 10
  EXPECT_EQ(DecorationStep(150, 300), 5);  // (450 + 99) / 100
  EXPECT_EQ(DecorationStep(100, 200), 2);  // (20 + 9) / 10

  const DotRect r = InclusiveRect(10, 20, 5, 2);
  EXPECT_EQ(r, (DotRect{5, 2, 11, 21}));
  EXPECT_EQ(CapCorner(46, {0, 0, 30, 100}), (CornerSize{30, 46}));
  EXPECT_EQ(BoxCorner(500, 300, {0, 0, 1000, 1000}), (CornerSize{118, 118}));  // 2 * 59
  EXPECT_EQ(BoxCorner(-5, 300, {0, 0, 1000, 1000}), (CornerSize{0, 0}));
  EXPECT_EQ(BoxCorner(5000, 300, {0, 0, 101, 51}), (CornerSize{101, 51}));  // capped
}

TEST(Units, ListColumnsStartAtRunningSums) {
  // A list field 176 wide with 3 columns: 0, 58, 117 (k * 176 / 3).
  EXPECT_EQ(SplitStart(176, 0, 3), 0);
  EXPECT_EQ(SplitStart(176, 1, 3), 58);
  EXPECT_EQ(SplitStart(176, 2, 3), 117);
  EXPECT_EQ(SplitStart(176, 3, 3), 176);
  EXPECT_EQ(SplitStart(176, 1, 0), 0);
}

}  // namespace
}  // namespace fd::draw
