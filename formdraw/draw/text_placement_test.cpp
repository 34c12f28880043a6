#include "formdraw/draw/text_placement.h"

#include <gtest/gtest.h>

#include "formdraw/draw/characters.h"
#include "formdraw/draw/decoration.h"
#include "formdraw/draw/test_printers.h"

namespace fd::draw {
namespace {

const std::string kNichi = "\x93\xfa";  // a double-byte character

std::vector<DotPoint> Positions(const TextPlacement& p) {
  std::vector<DotPoint> out;
  for (const auto& r : p.runs) out.push_back({r.x, r.y});
  return out;
}

// A 40-dot font (40000 thousandths wide and high): single-byte characters advance 20
// dots, double-byte 40. Box at (100, 200). Expected positions worked out by hand.
TEST(PlaceBuiltIn, AlignmentsSqueezeAndDirections) {
  const BuiltInMetrics m{40000, 40000};
  struct Row {
    int id;
    std::string text;
    PlacementRequest req;
    long long squeeze;
    std::vector<DotPoint> expected;
    DotPoint end;
  } rows[] = {
      // "AB日" is 80 dots in 200: start at x.
      {1, "AB" + kNichi, {100, 200, 200, 1, 1}, 1000, {{100, 200}, {120, 200}, {140, 200}}, {180, 240}},
      // End: 200 - 80 = 120.
      {2, "AB" + kNichi, {100, 200, 200, 1, 2}, 1000, {{220, 200}, {240, 200}, {260, 200}}, {300, 240}},
      // Centre: 120 / 2 = 60.
      {3, "AB" + kNichi, {100, 200, 200, 1, 3}, 1000, {{160, 200}, {180, 200}, {200, 200}}, {240, 240}},
      // Spread: (200 - 80) * 1000 / 2 = 60000 thousandths after each character.
      {4, "AB" + kNichi, {100, 200, 200, 1, 4}, 1000, {{100, 200}, {180, 200}, {260, 200}}, {300, 240}},
      // Spread with one character centres it: (200 - 40) / 2.
      {5, kNichi, {100, 200, 200, 1, 4}, 1000, {{180, 200}}, {220, 240}},
      // 120 dots in 100: squeezed one dot per preceding character.
      {6, kNichi + kNichi + kNichi, {100, 200, 100, 1, 1}, 1000, {{100, 200}, {139, 200}, {178, 200}}, {218, 240}},
      // Spread of an over-long text: the gap is negative, so it starts at x unspread.
      {7, kNichi + kNichi + kNichi, {100, 200, 100, 1, 4}, 1000, {{100, 200}, {139, 200}, {178, 200}}, {218, 240}},
      // End alignment of the squeezed text: length 120 - 3 = 117, start 100 - 117 = -17.
      {8, kNichi + kNichi + kNichi, {100, 200, 100, 1, 2}, 1000, {{83, 200}, {122, 200}, {161, 200}}, {201, 240}},
      // The form pass at 200 % squeezes 2 dots a character.
      {9, kNichi + kNichi + kNichi, {100, 200, 100, 1, 1}, FormPassSqueeze(200), {{100, 200}, {138, 200}, {176, 200}}, {216, 240}},
      // At 50 % the form pass does not squeeze at all.
      {10, kNichi + kNichi + kNichi, {100, 200, 100, 1, 1}, FormPassSqueeze(50), {{100, 200}, {140, 200}, {180, 200}}, {220, 240}},
      // Vertical: every character advances the font height.
      {11, "A" + kNichi, {100, 200, 200, 2, 1}, 1000, {{100, 200}, {100, 240}}, {140, 280}},
      {12, "A" + kNichi, {100, 200, 200, 2, 3}, 1000, {{100, 260}, {100, 300}}, {140, 340}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.id);
    const auto p = PlaceBuiltIn(r.text, r.req, m, r.squeeze);
    EXPECT_EQ(Positions(p), r.expected);
    EXPECT_EQ(p.first, r.expected.front());
    EXPECT_EQ(p.end, r.end);
  }
}

TEST(PlaceBuiltIn, EmptyTextPlacesNothing) {
  const auto p = PlaceBuiltIn("", {5, 6, 100, 1, 4}, {40000, 40000}, 1000);
  EXPECT_TRUE(p.runs.empty());
  EXPECT_EQ(p.first, (DotPoint{5, 6}));
}

TEST(OrderForDirection, ReversesWholeCharactersWithinTheLimit) {
  EXPECT_EQ(OrderForDirection("A" + kNichi + "B", 3), "B" + kNichi + "A");
  EXPECT_EQ(OrderForDirection("A" + kNichi + "B", 4), "B" + kNichi + "A");
  EXPECT_EQ(OrderForDirection("A" + kNichi + "B", 1), "A" + kNichi + "B");
  // 511 single bytes and a double-byte character: the character would pass 512 bytes.
  const std::string longText = std::string(511, 'a') + kNichi;
  EXPECT_EQ(OrderForDirection(longText, 3), std::string(511, 'a'));
  // A lead byte without its partner stays a single byte.
  EXPECT_EQ(OrderForDirection("A\x93", 3), "\x93" "A");
  EXPECT_EQ(SplitCharacters("\x93").size(), 1u);
}

TEST(PlaceMeasured, AlignsOnTheMeasuredWidth) {
  FixedMetrics metrics(40000, 40000);
  const MeasuredFont font{0, 40000, 40000};
  // Alignment 2 without escapement: one call for the whole text at 200 - 80.
  auto p = PlaceMeasured("AB" + kNichi, {100, 200, 200, 1, 2}, font, metrics);
  ASSERT_EQ(p.runs.size(), 1u);
  EXPECT_EQ(p.runs[0], (GlyphRun{"AB" + kNichi, 220, 200}));
  EXPECT_EQ(p.end, (DotPoint{300, 240}));
  // Alignment 4: character by character, as the built-in path.
  p = PlaceMeasured("AB" + kNichi, {100, 200, 200, 1, 4}, font, metrics);
  EXPECT_EQ(Positions(p), (std::vector<DotPoint>{{100, 200}, {180, 200}, {260, 200}}));
}

TEST(PlaceMeasured, RotatedTextFollowsTheEscapement) {
  FixedMetrics metrics(40000, 40000);
  // 90 degrees: each 20-dot advance goes up the page.
  auto p = PlaceMeasured("AB", {100, 200, 200, 1, 1}, {900, 40000, 40000}, metrics);
  EXPECT_EQ(Positions(p), (std::vector<DotPoint>{{100, 200}, {100, 180}}));
  EXPECT_EQ(p.end, (DotPoint{100, 160}));
  // 180 degrees: to the left.
  p = PlaceMeasured("AB", {100, 200, 200, 1, 1}, {1800, 40000, 40000}, metrics);
  EXPECT_EQ(Positions(p), (std::vector<DotPoint>{{100, 200}, {80, 200}}));
}

TEST(PlaceMeasured, VerticalTextIsStackedAndCentredInItsColumn) {
  FixedMetrics metrics(40000, 40000);
  const auto p = PlaceMeasured("A" + kNichi, {100, 200, 200, 2, 1}, {0, 40000, 40000}, metrics);
  // "A" is 20 dots wide in a 40-dot column: 10 dots in.
  EXPECT_EQ(Positions(p), (std::vector<DotPoint>{{110, 200}, {100, 240}}));
  EXPECT_EQ(p.end, (DotPoint{140, 280}));
}

// Step 3 at 300 dpi, 100 %. Text box (100, 200) to (180, 240).
TEST(Decorate, UnderlineAndStrikeLinesWithTheirPens) {
  const TextBox box{100, 200, 180, 240};
  using S = std::vector<LineSegment>;
  struct Row {
    int id;
    bool vertical;
    DecorationKinds kinds;
    S expected;
  } rows[] = {
      {1, false, {1, 0}, S{{{100, 243}, {180, 243}, {0, 1}}}},
      {2, false, {2, 0}, S{{{100, 243}, {180, 243}, {0, 4}}}},  // 4/300 inch: 4 dots
      // Double underline: one and three steps below.
      {3, false, {3, 0}, S{{{100, 243}, {180, 243}, {0, 1}}, {{100, 249}, {180, 249}, {0, 1}}}},
      {4, false, {5, 0}, S{{{100, 243}, {180, 243}, {2, 1}}}},  // dotted
      {5, false, {0, 1}, S{{{100, 220}, {180, 220}, {0, 1}}}},
      {6, false, {0, 2}, S{{{100, 217}, {180, 217}, {0, 1}}, {{100, 223}, {180, 223}, {0, 1}}}},
      {7, true, {1, 1}, S{{{97, 200}, {97, 240}, {0, 1}}, {{140, 200}, {140, 240}, {0, 1}}}},
      {8, false, {8, 3}, S{}},  // unknown kinds draw nothing
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.id);
    EXPECT_EQ(Decorate(box, r.vertical, r.kinds, 3, 100, 300), r.expected);
  }
}

// Field decorations take FmSetLine's pens: 0.01 mm is 1 dot, 0.53 mm at 300 dpi is
// 53000 / 8466 = 6 dots, (6 * 300 + 299) / 300 = 6; at 600 dpi 12 dots, then 24.
TEST(Decorate, FieldPensAreInHundredthsOfAMillimetre) {
  const TextBox box{100, 200, 180, 240};
  const auto wide = Decorate(box, false, {2, 1}, 3, 100, 300, DecorationPens::kField);
  ASSERT_EQ(wide.size(), 2u);
  EXPECT_EQ(wide[0].pen, (PenSpec{0, 6}));
  EXPECT_EQ(wide[1].pen, (PenSpec{0, 1}));
  EXPECT_EQ(Decorate(box, false, {2, 0}, 6, 100, 600, DecorationPens::kField)[0].pen, (PenSpec{0, 24}));
  EXPECT_EQ(Decorate(box, false, {7, 0}, 3, 100, 300, DecorationPens::kField)[0].pen, (PenSpec{4, 1}));
}

}  // namespace
}  // namespace fd::draw
