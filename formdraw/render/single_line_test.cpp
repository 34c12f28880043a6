#include "formdraw/render/single_line.h"

#include <gtest/gtest.h>

#include "formdraw/draw/test_printers.h"

namespace fd::render {
namespace {

using draw::DotPoint;

const std::string kNichi = "\x93\xfa";

std::vector<DotPoint> Positions(const draw::TextPlacement& p) {
  std::vector<DotPoint> out;
  for (const auto& r : p.runs) out.push_back({r.x, r.y});
  return out;
}

const draw::FontEntry kMincho{0, std::string(draw::kMinchoFace), 0x31, 128};

LayoutDescriptor Text(int size, int alignment, int direction) {
  LayoutDescriptor d;
  d.x = 1440;
  d.y = 720;
  d.width = 2880;
  d.height = 1440;
  d.size = static_cast<std::uint8_t>(size);
  d.alignment = static_cast<std::uint8_t>(alignment);
  d.direction = static_cast<std::uint8_t>(direction);
  return d;
}

TEST(SingleLine, CharacterSizeAndFont) {
  // 10 * 125 * 1600 / 48 = 41666 thousandths at 300 dpi; 2000000 / 200 at 72 dpi.
  EXPECT_EQ(CharacterSizeMilli(10, 100, 300), 41666);
  EXPECT_EQ(CharacterSizeMilli(10, 150, 300), 62499);
  EXPECT_EQ(CharacterSizeMilli(10, 100, 72), 10000);
  LayoutDescriptor d = Text(10, 1, 1);
  d.rotation = 3;
  d.bold = 1;
  d.italic = 1;
  const draw::FontEntry entry{1, "Face", 0x31, 128};
  EXPECT_EQ(SingleLineFont(d, entry, {300, 100}),
            (draw::FontRequest{41, 20, 300, 700, true, 128, 0x35, "Face"}));
  // Another character set keeps the face's own width; bold only when the byte is 1.
  d.bold = 2;
  EXPECT_EQ(SingleLineFont(d, {0, "Face", 0x31, 0}, {300, 100}),
            (draw::FontRequest{41, 0, 300, 400, true, 0, 0x31, "Face"}));
}

TEST(SingleLine, DropsLineBreaksAndReverses) {
  EXPECT_EQ(SingleLineText("AB\r\n" + kNichi, 1), "AB" + kNichi);
  EXPECT_EQ(SingleLineText("A\r" + kNichi + "\nB", 3), "B" + kNichi + "A");
}

// 300 dpi, 100 %: box at (300, 150), 600 dots wide; characters 41666 thousandths.
TEST(SingleLine, BuiltInFacePlacesLikePrintTextWithDecorations) {
  draw::FixedMetrics unused(1, 1);
  LayoutDescriptor d = Text(10, 1, 1);
  d.underline = 1;
  const auto l = LayOutSingleLine(d, "AB\r\n" + kNichi, kMincho, {300, 100}, unused);
  ASSERT_TRUE(l.builtIn);
  // Advances 20833, 20833, 41666: 300, 300 + 20, 300 + 41.
  EXPECT_EQ(Positions(l.placement), (std::vector<DotPoint>{{300, 150}, {320, 150}, {341, 150}}));
  EXPECT_EQ(l.placement.end, (DotPoint{383, 191}));  // 83332 / 1000; 150 + 41
  // Underline one step (3 dots) below the cell.
  ASSERT_EQ(l.decorations.size(), 1u);
  EXPECT_EQ(l.decorations[0], (draw::LineSegment{{300, 194}, {383, 194}, {0, 1}}));
}

// 72 dpi: 20 twips a dot at 100 %. At 200 % (10 twips a dot) the box is at (100 + 7, 50)
// and 50 dots wide; characters 20 dots; six double-byte characters (120 dots) are
// squeezed 2 dots (200 / 100) per preceding character.
TEST(SingleLine, FormPassSqueezesByTheMagnification) {
  draw::FixedMetrics unused(1, 1);
  LayoutDescriptor d = Text(10, 1, 1);
  d.x = 1000;
  d.y = 500;
  d.width = 500;
  std::string text;
  for (int i = 0; i < 6; ++i) text += kNichi;
  const auto l = LayOutSingleLine(d, text, kMincho, {72, 200, 7, 0}, unused);
  EXPECT_EQ(Positions(l.placement), (std::vector<DotPoint>{{107, 50}, {125, 50}, {143, 50},
                                                           {161, 50}, {179, 50}, {197, 50}}));
}

TEST(SingleLine, OtherFacesAndRotationAreMeasured) {
  draw::FixedMetrics metrics(10000, 10000);
  LayoutDescriptor d = Text(10, 2, 1);  // 72 dpi: box at (72, 36), 144 wide
  const draw::FontEntry other{0, "Other", 0x31, 128};
  auto l = LayOutSingleLine(d, "AB", other, {72, 100}, metrics);
  EXPECT_FALSE(l.builtIn);
  ASSERT_EQ(l.placement.runs.size(), 1u);  // one call: 144 - 10 = 134 from the left
  EXPECT_EQ(l.placement.runs[0], (draw::GlyphRun{"AB", 206, 36}));
  d.rotation = 9;
  l = LayOutSingleLine(d, "AB", kMincho, {72, 100}, metrics);
  EXPECT_FALSE(l.builtIn);
  EXPECT_EQ(l.font.escapement, 900);
  EXPECT_EQ(l.placement.runs.size(), 2u);
}

TEST(SingleLine, EmptyTextDrawsNothing) {
  draw::FixedMetrics unused(1, 1);
  LayoutDescriptor d = Text(10, 1, 1);
  d.underline = 3;
  const auto l = LayOutSingleLine(d, "\r\n", kMincho, {300, 100}, unused);
  EXPECT_TRUE(l.placement.runs.empty());
  EXPECT_TRUE(l.decorations.empty());
}

}  // namespace
}  // namespace fd::render
