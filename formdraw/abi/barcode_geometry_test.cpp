// Barcode bars as exact geometry on a 600-dpi trace printer: each row's first bars were
// worked out by hand from the width rules (narrow width from the rectangle, wide widths
// from n, gaps, correction, minimum and explicit widths). A decoder reads codes whose
// ratios are wrong just as well, so only the numbers catch a changed rule.
//
// At 600 dpi w (0.01 mm) is w * 1000 / 4233 dots. Bars are listed as (start, drawn
// width) from the code's left edge; a bar is drawn with its gain, a space advances its
// width plus the correction (2 dots, or 1 below the threshold).
#include "formdraw/abi/trace_session.h"

namespace fmtest {
namespace {

enum class Code { kCode39, kJan13, kJan8, kItf, kNw7 };

struct Bar {
  int start, width;
  bool operator==(const Bar&) const = default;
};
void PrintTo(const Bar& b, std::ostream* os) { *os << "(" << b.start << ", " << b.width << ")"; }

struct Row {
  int index;
  Code code;
  const char* text;
  int extent;  // 0.01 mm
  int gain = 0, minimum = 0;
  std::vector<int> explicitSet = {};  // FmSetBarSize values of the code's selector
  std::vector<Bar> bars = {};
};

int Selector(Code c) {
  switch (c) {
    case Code::kCode39: return -1;
    case Code::kJan13: return -2;
    case Code::kJan8: return -3;
    case Code::kItf: return -4;
    case Code::kNw7: return -5;
  }
  return 0;
}

int Draw(const Row& r, int y, int32_t* s) {
  char encoded[64] = {};
  switch (r.code) {
    case Code::kCode39: return FmBarcode39(1, 0, 0, y, r.extent, y + 500, r.text, encoded, s);
    case Code::kJan13: return FmBarcodeJan13(1, 0, y, r.extent, y + 500, r.text, encoded, s);
    case Code::kJan8: return FmBarcodeJan8(1, 0, y, r.extent, y + 500, r.text, encoded, s);
    case Code::kItf: return FmBarcodeITF(1, 0, y, r.extent, y + 500, r.text, encoded, s);
    case Code::kNw7: return FmBarcodeNW7(1, 0, 0, y, r.extent, y + 500, r.text, encoded, s);
  }
  return -99;
}

void Configure(const Row& r, int32_t* s, bool on) {
  const int32_t info[2] = {on ? r.minimum : 0, on ? r.gain : 0};
  ASSERT_EQ(FmSetBarInfo(info, s), 0);
  if (r.explicitSet.empty()) return;
  std::vector<int> v(8, 0);
  if (on) std::copy(r.explicitSet.begin(), r.explicitSet.end(), v.begin());
  ASSERT_EQ(FmSetBarSize(Selector(r.code), v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], s), 0);
}

// The bars drawn at `top` (dots), as (start, width) in order.
std::vector<Bar> BarsAt(const std::vector<std::string>& lines, int top) {
  std::vector<Bar> bars;
  for (const auto& l : lines) {
    int left = 0, t = 0, right = 0, bottom = 0;
    if (std::sscanf(l.c_str(), "Rectangle %d %d %d %d", &left, &t, &right, &bottom) == 4 && t == top)
      bars.push_back({left, right - left - 1});
  }
  return bars;
}

const Row kRows[] = {
    // Code 39 "*A*" (L = 3): E / 54 = 45 is not above 45, n = 10: wide bar 23, wide
    // space 27 (the space after the first bar advances 27 + 2), gap 3n = 30.
    {0, Code::kCode39, "A", 2430, 0, 0, {}, {{0, 10}, {39, 10}, {61, 23}, {96, 23}, {131, 10}, {173, 23}}},
    // E / 54 = 46 is above 45: (2484 - 270) / 45 = 49, n = 11: wide 25 and 29, gap 33.
    {1, Code::kCode39, "A", 2484, 0, 0, {}, {{0, 11}, {42, 11}, {66, 25}, {104, 25}, {142, 11}, {188, 25}}},
    // ITF "1234": E / (4 * 9 + 8) = 43, n = 10: wide bar 26, wide space 28; the start
    // group is narrow, then 1 (WNNNW) in the bars and 2 (NWNNW) in the spaces.
    {2, Code::kItf, "1234", 1892, 0, 0, {}, {{0, 10}, {22, 10}, {44, 26}, {82, 10}, {122, 10}}},
    // The minimum narrow width 4 on a narrow rectangle: wide 26 * 4 / 10 = 10, 28 * 4 / 10 = 11.
    {3, Code::kItf, "1234", 100, 0, 4, {}, {{0, 4}, {10, 4}, {20, 10}, {36, 4}, {53, 4}}},
    // NW-7 "A1B": E / (3 * 14 + 2); A = NNWWNWN, then the gap, then 1's first (narrow) bar.
    // w = 25: n = 5, wide 25 * 5 / 10 = 12, gap 5n = 25.
    {4, Code::kNw7, "A1B", 1100, 0, 0, {}, {{0, 5}, {12, 12}, {38, 5}, {57, 5}, {89, 5}}},
    // w = 26: n = 6, wide 15, gap 4n = 24.
    {5, Code::kNw7, "A1B", 1144, 0, 0, {}, {{0, 6}, {14, 15}, {46, 6}, {69, 6}, {101, 6}}},
    // w = 45: n = 10, wide 25, gap 4n = 40.
    {6, Code::kNw7, "A1B", 1980, 0, 0, {}, {{0, 10}, {22, 25}, {74, 10}, {111, 10}, {163, 10}}},
    // w = 46: n = 10, gap 3n = 30.
    {7, Code::kNw7, "A1B", 2024, 0, 0, {}, {{0, 10}, {22, 25}, {74, 10}, {111, 10}, {153, 10}}},
    // JAN-13 with gain 1: E / (141 + 26) = 12, n = 2, at the JAN threshold for the
    // correction: bars 2 + 1 wide, spaces 2 more. Start space (0 modules), bar, space,
    // bar; then 9 in the odd set: space 3, bar 1, space 1, bar 2 modules.
    {8, Code::kJan13, "4901234567894", 2170, 1, 0, {}, {{2, 3}, {8, 3}, {18, 3}, {24, 5}}},
    // JAN-8 with gain 1: E / (101 + 18) = 12, n = 2; then 1: space 2, bar 2, space 2, bar 1.
    {9, Code::kJan8, "12345670", 1546, 1, 0, {}, {{2, 3}, {8, 3}, {16, 5}, {26, 3}}},
    // Explicit sets: the values as they are, no gain and no correction.
    // Code 39: narrow bar 3, narrow space 4, wide bar 7, wide space 9, gap 5.
    {10, Code::kCode39, "A", 2430, 1, 0, {3, 4, 7, 9, 5}, {{0, 3}, {12, 3}, {19, 7}, {30, 7}, {41, 3}, {49, 7}}},
    // JAN-13: bar / space of 1 to 4 modules 2/3, 4/5, 6/7, 8/9; the start space is 3.
    {11, Code::kJan13, "4901234567894", 2170, 1, 0, {2, 3, 4, 5, 6, 7, 8, 9}, {{3, 2}, {8, 2}, {17, 2}, {22, 4}}},
    {12, Code::kJan8, "12345670", 1546, 1, 0, {2, 3, 4, 5, 6, 7, 8, 9}, {{3, 2}, {8, 2}, {15, 4}, {24, 2}}},
    // ITF: narrow bar 2, narrow space 3, wide bar 5, wide space 7.
    {13, Code::kItf, "1234", 1892, 1, 0, {2, 3, 5, 7}, {{0, 2}, {5, 2}, {10, 5}, {18, 2}, {27, 2}}},
    // NW-7: 2, 3, 5, 7 and a fifth value; the gap is 5 x the explicit narrow bar at w = 25.
    {14, Code::kNw7, "A1B", 1100, 1, 0, {2, 3, 5, 7, 9}, {{0, 2}, {5, 5}, {17, 2}, {26, 2}, {38, 2}}},
};

TEST_F(TraceSession, BarcodeWidthRulesGiveExactBars) {
  Open({}, 600);
  for (const Row& r : kRows) {
    Configure(r, S(), true);
    ASSERT_EQ(Draw(r, r.index * 1000, S()), 0) << "row " << r.index;
    Configure(r, S(), false);
  }
  const auto lines = Close();
  for (const Row& r : kRows) {
    std::vector<Bar> bars = BarsAt(lines, r.index * 1000 * 1000 / 4233);
    if (bars.size() > r.bars.size()) bars.resize(r.bars.size());
    EXPECT_EQ(bars, r.bars) << "row " << r.index;
  }
}

}  // namespace
}  // namespace fmtest
