#include "formdraw/draw/print_text.h"

#include <gtest/gtest.h>

#include "formdraw/draw/test_printers.h"

namespace fd::draw {
namespace {

const std::string kNichi = "\x93\xfa";

// 300 dpi: 0.01 mm become dots through the divisor 8466. Values worked out by hand.
TEST(SessionFont, SetFontAndCreateFont) {
  // 400 -> 400000 / 8466 = 47 dots high, cell 47 / 2 = 23; 400000000 / 8466 = 47247.
  EXPECT_EQ(MakeSetFont(400, 400, 1, false, true, 100, 300),
            (SessionFont{{47, 23, 0, 700, false, 128, 0x11, std::string(kMinchoFace)}, 47247, 47247, true}));
  // 50 %: 200 -> 23 dots, cell 11, 23623 thousandths; faces 2 and 3 are the gothic face.
  const auto half = MakeSetFont(400, 400, 3, true, false, 50, 300);
  EXPECT_EQ(half.request.height, 23);
  EXPECT_EQ(half.request.width, 11);
  EXPECT_EQ(half.widthMilli, 23623);
  EXPECT_EQ(half.request.face, kGothicFace);
  EXPECT_TRUE(half.request.italic);

  CreateFontArgs a{400, 400, 450, false, false, 128, 1, 0x30, kMinchoFace};
  auto f = MakeCreateFont(a, 100, 300);
  EXPECT_EQ(f.request.escapement, 900);  // 450 degrees is 90
  EXPECT_EQ(f.request.pitchAndFamily, 0x31);
  EXPECT_FALSE(f.builtIn);               // turned text is measured
  a.escapement = 360;
  EXPECT_TRUE(MakeCreateFont(a, 100, 300).builtIn);
  a.escapement = 0;
  a.face = "Other";
  EXPECT_FALSE(MakeCreateFont(a, 100, 300).builtIn);
}

TEST(PrintText, TransformsAndPlacesWithTheSessionFont) {
  FixedMetrics metrics(47247, 47247);
  const SessionFont font = MakeSetFont(400, 400, 1, false, false, 100, 300);
  const PageTransform plain{300, 100, 0, 0};
  // x 1000 -> 118, y 500 -> 59; single-byte advances 23623 thousandths.
  auto p = LayOutPrintText({1000, 500, 2540, 1, 1}, "AB", plain, font, metrics);
  EXPECT_EQ(p.runs, (std::vector<GlyphRun>{{"A", 118, 59}, {"B", 141, 59}}));
  // Extent 50 -> 5 dots: the two characters overlap by one dot.
  p = LayOutPrintText({1000, 500, 50, 1, 1}, kNichi + kNichi, plain, font, metrics);
  EXPECT_EQ(p.runs, (std::vector<GlyphRun>{{kNichi, 118, 59}, {kNichi, 164, 59}}));
  // 200 % and an x offset of 100: 1000 * 200 / 100 + 100 = 2100 -> 248.
  p = LayOutPrintText({1000, 500, 2540, 3, 1}, "AB", {300, 200, 100, 0}, font, metrics);
  EXPECT_EQ(p.runs.front(), (GlyphRun{"B", 248, 118}));
  // Another face: measured, one call for alignment 1.
  const SessionFont other = MakeCreateFont({400, 400, 0, false, false, 128, 1, 0x30, "Other"}, 100, 300);
  p = LayOutPrintText({1000, 500, 2540, 1, 1}, "AB", plain, other, metrics);
  EXPECT_EQ(p.runs, (std::vector<GlyphRun>{{"AB", 118, 59}}));
}

}  // namespace
}  // namespace fd::draw
