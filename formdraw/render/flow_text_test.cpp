#include "formdraw/render/flow_text.h"

#include <gtest/gtest.h>

#include "formdraw/draw/test_printers.h"

namespace fd::render {
namespace {

using draw::DotPoint;
using Points = std::vector<DotPoint>;

const std::string kNichi = "\x93\xfa";
const draw::FontEntry kEntry{0, std::string(draw::kMinchoFace), 0x31, 128};

// At 72 dpi and 100 % a point is a dot and 20 twips are a dot. The box is at (100, 200),
// 52 dots wide and 100 high; 10-point characters (single-byte 5 dots wide, double-byte
// 10, all 10 high); lines advance 10 + 2 points.
LayoutDescriptor Box() {
  LayoutDescriptor d;
  d.x = 2000;
  d.y = 4000;
  d.width = 1040;
  d.height = 2000;
  d.size = 10;
  d.lineSpacing = 130;
  d.charSpacing = 128;
  d.alignment = 1;
  d.direction = 1;
  d.lineOrder = 1;
  return d;
}

std::vector<Points> Lines(const FlowLayout& l) {
  std::vector<Points> out;
  for (const auto& line : l.lines) {
    Points p;
    for (const auto& c : line.chars) p.push_back({c.x, c.y});
    out.push_back(p);
  }
  return out;
}

Points Row(int x0, int step, int count, int y) {
  Points p;
  for (int i = 0; i < count; ++i) p.push_back({x0 + i * step, y});
  return p;
}

FlowLayout Lay(const LayoutDescriptor& d, const std::string& text, std::string_view hanging = {}) {
  draw::FixedMetrics metrics(10000, 10000);
  return LayOutFlowText(d, text, kEntry, {72, 100}, hanging, metrics);
}

// Expected positions worked out by hand from the rules, one comment per case.
TEST(FlowText, LineOrderAlignmentAndSpacing) {
  auto d = Box();
  // "ABCDEFGHIJ" fills line 1 at y 200; "KL" goes to y 212.
  EXPECT_EQ(Lines(Lay(d, "ABCDEFGHIJKL")),
            (std::vector<Points>{Row(100, 5, 10, 200), Row(100, 5, 2, 212)}));
  // Line order 2: from the bottom minus one line advance (300 - 12), then upwards.
  d.lineOrder = 2;
  EXPECT_EQ(Lines(Lay(d, "ABCDEFGHIJKL")),
            (std::vector<Points>{Row(100, 5, 10, 288), Row(100, 5, 2, 276)}));
  d.lineOrder = 1;
  // End: 52 - 10 = 42 free; centre: 21.
  d.alignment = 2;
  EXPECT_EQ(Lines(Lay(d, "KL")), (std::vector<Points>{Row(142, 5, 2, 200)}));
  d.alignment = 3;
  EXPECT_EQ(Lines(Lay(d, "KL")), (std::vector<Points>{Row(121, 5, 2, 200)}));
  // Spread: the 42 free dots go between the two characters; one character stays put.
  d.alignment = 4;
  EXPECT_EQ(Lines(Lay(d, "KL")), (std::vector<Points>{{{100, 200}, {147, 200}}}));
  EXPECT_EQ(Lines(Lay(d, "K")), (std::vector<Points>{{{100, 200}}}));
  // Character spacing 2 points: 7 dots a character, 7 fit in 52 (an 8th reaches 56);
  // aligned to the end, "ABC" starts at 52 - 2 * 2 - 15 = 33.
  d.charSpacing = 130;
  d.alignment = 1;
  EXPECT_EQ(Lines(Lay(d, "ABCDEFGH")), (std::vector<Points>{Row(100, 7, 7, 200), Row(100, 7, 1, 212)}));
  d.alignment = 2;
  EXPECT_EQ(Lines(Lay(d, "ABC")), (std::vector<Points>{Row(133, 7, 3, 200)}));
}

TEST(FlowText, WordWrapDropsBlanksAndSpreadsAllButTheParagraphsLastLine) {
  auto d = Box();
  d.flowFlags = 2;
  // "AB " breaks before the word; its trailing blank goes and "AB" is spread (42 free).
  EXPECT_EQ(Lines(Lay(d, "AB CDEFGHIJKL")),
            (std::vector<Points>{{{100, 200}, {147, 200}}, Row(100, 5, 10, 212)}));
  // The second line loses its leading blanks. The first is spread: 2 free dots over 9
  // gaps, 222 thousandths each, so character i is at i * 5222 thousandths.
  EXPECT_EQ(Lines(Lay(d, "ABCDEFGHIJ  KL")),
            (std::vector<Points>{{{100, 200}, {105, 200}, {110, 200}, {115, 200}, {120, 200},
                                  {126, 200}, {131, 200}, {136, 200}, {141, 200}, {146, 200}},
                                 Row(100, 5, 2, 212)}));
  // A paragraph's first line keeps its leading blanks.
  EXPECT_EQ(Lines(Lay(d, "  AB")), (std::vector<Points>{Row(100, 5, 4, 200)}));
  // An all-blank line keeps nothing to draw (its trailing blanks are dropped).
  const auto blank = Lay(d, "ABCDEFGHIJ     ");
  ASSERT_EQ(blank.lines.size(), 2u);
  EXPECT_TRUE(blank.lines[1].chars.empty());
}

TEST(FlowText, HangingCharactersStayOnTheLine) {
  auto d = Box();
  d.flowFlags = 1;
  const std::string touten = "\x81\x41";
  const std::string text = kNichi + kNichi + kNichi + kNichi + kNichi + touten + "X";
  const auto l = Lay(d, text, touten);
  ASSERT_EQ(l.lines.size(), 2u);
  ASSERT_EQ(l.lines[0].chars.size(), 6u);
  EXPECT_EQ(l.lines[0].chars[5], (draw::GlyphRun{touten, 150, 200}));  // past the box
}

TEST(FlowText, VerticalReversedAndRotated) {
  auto d = Box();
  d.direction = 2;
  // Columns from the right edge minus one line advance (152 - 12), leftwards.
  EXPECT_EQ(Lines(Lay(d, "ABC\r\nDE")),
            (std::vector<Points>{{{140, 200}, {140, 210}, {140, 220}}, {{128, 200}, {128, 210}}}));
  // Other line orders start at the left edge and go right.
  d.lineOrder = 3;
  EXPECT_EQ(Lines(Lay(d, "ABC\r\nDE")),
            (std::vector<Points>{{{100, 200}, {100, 210}, {100, 220}}, {{112, 200}, {112, 210}}}));
  // Direction 3: "A日B" drawn as "B日A".
  d = Box();
  d.direction = 3;
  const auto rev = Lay(d, "A" + kNichi + "B");
  ASSERT_EQ(rev.lines.size(), 1u);
  EXPECT_EQ(rev.lines[0].chars, (std::vector<draw::GlyphRun>{{"B", 100, 200}, {kNichi, 105, 200},
                                                             {"A", 115, 200}}));
  // 90 degrees: "A"'s origin (100, 200) turned about its cell's centre (102.5, 205)
  // lands on (97.5, 207.5), rounded to (98, 208).
  d = Box();
  d.rotation = 9;
  const auto rot = Lay(d, "A");
  EXPECT_EQ(rot.font.escapement, 900);
  EXPECT_EQ(rot.lines[0].chars[0], (draw::GlyphRun{"A", 98, 208}));
}

TEST(FlowText, ClipFontAndDecorations) {
  auto d = Box();
  d.underline = 1;
  d.strike = 2;
  const auto l = Lay(d, "ABCDEFGHIJKL");
  // Two character advances of 10 points widen the left and top sides.
  EXPECT_EQ(l.clip, (draw::DotRect{80, 180, 152, 300}));
  // Step at 72 dpi: (1440 / 200 + 9) / 10 = 1, (100 + 99) / 100 = 1. Line 1 spans x
  // 100..150, cell 200..210: underline at 211, strike at 205 - 1 and 205 + 1.
  EXPECT_EQ(l.lines[0].decorations,
            (std::vector<draw::LineSegment>{{{100, 211}, {150, 211}, {0, 1}},
                                            {{100, 204}, {150, 204}, {0, 1}},
                                            {{100, 206}, {150, 206}, {0, 1}}}));
  // At 300 dpi: 10 * 300 / 72 = 41 dots high, half of it wide for Shift-JIS; the entry's
  // first word adds 4 to the pitch and family.
  const draw::FontEntry entry{1, "Face", 0x31, 128};
  d.bold = 1;
  EXPECT_EQ(FlowFont(d, entry, {300, 100}),
            (draw::FontRequest{41, 20, 0, 700, false, 128, 0x35, "Face"}));
  EXPECT_EQ(FlowFont(d, {0, "Face", 0x31, 0}, {300, 150}).width, 0);
  EXPECT_EQ(FlowFont(d, entry, {300, 150}).height, 61);  // 41 * 150 / 100
}

TEST(FlowText, AThousandAndOneLinesPrintAThousand) {
  std::string text;
  for (int i = 0; i < 1001; ++i) text += i == 0 ? "A" : "\r\nA";
  EXPECT_EQ(Lay(Box(), text).lines.size(), 1000u);
}

}  // namespace
}  // namespace fd::render
