#include "formdraw/barcode/layout.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace fd::barcode {
namespace {

namespace fs = std::filesystem;

TEST(BarcodeLayout, NarrowWidthFromTheRectangle) {
  BarSettings s;
  // JAN-13 over 30 mm: 3000 / 141 = 21 (0.01 mm), 21 * 1000 / (2540000 / 600) = 4 dots.
  auto l = LayOut(Symbology::kJan13, "4901234567894", 3000, 600, s, false);
  EXPECT_EQ(l.narrowMm, 21);
  EXPECT_EQ(l.narrowDots, 4);
  // Code 39 whose narrow width would exceed 0.45 mm uses the wide-extent rule:
  // L = 3, E = 10000: 10000 / 54 = 185 > 45, so (10000 - 270) / 45 = 216.
  EXPECT_EQ(LayOut(Symbology::kCode39, "*A*", 10000, 300, s, false).narrowMm, 216);
  // ITF and NW-7 divisors.
  EXPECT_EQ(LayOut(Symbology::kItf, "1234", 5000, 300, s, false).narrowMm, 5000 / (4 * 9 + 8));
  EXPECT_EQ(LayOut(Symbology::kNw7, "A1B", 5000, 300, s, false).narrowMm, 5000 / (3 * 14 + 2));
}

TEST(BarcodeLayout, VeryNarrowRectangleStillDrawsOneDotElements) {
  BarSettings s;
  auto l = LayOut(Symbology::kCode39, "*ABC*", 10, 300, s, false);
  EXPECT_EQ(l.narrowDots, 1);
  ASSERT_FALSE(l.bars.empty());
  EXPECT_EQ(l.bars[0].width, 1);
}

TEST(BarcodeLayout, WideWidthsGapsAndCorrection) {
  BarSettings s;
  s.gain = 1;
  // n = 3 dots: wide 8/8, Code 39 gap 9; bars widened by the gain, spaces advance 2 more.
  // Narrow width 3 dots at 300 dpi needs w = 26 (0.01 mm): E = 26 * 3 * 19 = 1482.
  auto l = LayOut(Symbology::kCode39, "*A*", 1482, 300, s, false);
  ASSERT_EQ(l.narrowDots, 3);
  // '*' = 010010100: bar n, space w, bar n, space n, bar w, ...
  EXPECT_EQ(l.bars[0].start, 0);
  EXPECT_EQ(l.bars[0].width, 3 + 1);
  EXPECT_EQ(l.bars[1].start, 3 + 8 + 2);
  EXPECT_EQ(l.bars[2].start, 13 + 3 + 3 + 2);
  EXPECT_EQ(l.bars[2].width, 8 + 1);
  // With n below 3 the bars stay as they are and spaces advance 1 more.
  auto thin = LayOut(Symbology::kCode39, "*A*", 300, 300, s, false);
  ASSERT_EQ(thin.narrowDots, 1);
  EXPECT_EQ(thin.bars[0].width, 1);
  EXPECT_EQ(thin.bars[1].start, 1 + 3 + 1);
}

TEST(BarcodeLayout, MinimumAndExplicitWidthsApplyOnPrintersOnly) {
  BarSettings s;
  s.minimumNarrow = 5;
  EXPECT_EQ(LayOut(Symbology::kItf, "12", 100, 300, s, false).narrowDots, 5);
  EXPECT_EQ(LayOut(Symbology::kItf, "12", 100, 300, s, true).narrowDots, 1);
  s.explicitSets[0] = {2, 3, 6, 7, 4, 0, 0, 0};
  auto l = LayOut(Symbology::kCode39, "*A*", 100, 300, s, false);
  EXPECT_EQ(l.narrowDots, 2);
  EXPECT_EQ(l.bars[0].width, 2);           // no gain, no correction
  EXPECT_EQ(l.bars[1].start, 2 + 7);       // narrow bar, wide space
  s.explicitSets[0][0] = 0;                // a first value of 0 switches back
  EXPECT_EQ(LayOut(Symbology::kCode39, "*A*", 100, 300, s, false).narrowDots, 5);
}

TEST(BarcodeLayout, JanStartSpaceAdvancesLikeEverySpace) {
  BarSettings s;
  // n = 4 dots: the 0-module space advances by the correction only.
  EXPECT_EQ(LayOut(Symbology::kJan13, "4901234567894", 3000, 600, s, false).bars[0].start, 2);
  EXPECT_EQ(LayOut(Symbology::kJan13, "4901234567894", 3000, 600, s, true).bars[0].start, 0);
  // Explicit widths: the start space takes the 1-module space width.
  s.explicitSets[1] = {3, 4, 6, 8, 9, 12, 12, 16};
  EXPECT_EQ(LayOut(Symbology::kJan13, "4901234567894", 3000, 600, s, false).bars[0].start, 4);
}

// Draws the layout the way the device does (inclusive right edge) into a PGM image with
// quiet zones and decodes it with zbarimg, an independent reader.
std::string DecodeWithZbar(const Layout& l, const std::string& name) {
  const int quiet = 20 * std::max(1, l.narrowDots), h = 80;
  const int w = l.length + 2 * quiet;
  std::string img(static_cast<std::size_t>(w * h), '\xff');
  for (const auto& b : l.bars)
    for (int x = b.start; x <= b.start + b.width && quiet + x < w; ++x)
      for (int y = 10; y < h - 10; ++y) img[static_cast<std::size_t>(y * w + quiet + x)] = 0;
  auto path = fs::temp_directory_path() / (name + std::to_string(::getpid()) + ".pgm");
  {
    std::ofstream out(path, std::ios::binary);
    out << "P5\n" << w << " " << h << "\n255\n" << img;
  }
  std::string cmd = "zbarimg --quiet --raw -Sdisable -Sean13.enable -Sean8.enable -Scode39.enable "
                    "-Si25.enable -Scodabar.enable -Si25.min-length=2 '" + path.string() + "' 2>/dev/null";
  std::string result;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[256];
    while (fgets(buf, sizeof buf, p)) result += buf;
    pclose(p);
  }
  fs::remove(path);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
  return result;
}

TEST(BarcodeLayout, EveryCodeDecodesWithAnIndependentReader) {
  if (std::system("command -v zbarimg >/dev/null 2>&1") != 0) GTEST_SKIP() << "zbarimg missing";
  struct Case {
    Symbology s;
    Encoded enc;
    const char* expected;
    int extentMm;
  } cases[] = {
      {Symbology::kJan13, EncodeJan13("490123456789"), "4901234567894", 3000},
      {Symbology::kJan8, EncodeJan8("4901234"), "49012347", 2200},
      {Symbology::kCode39, EncodeCode39("TB-2026", true), "TB-2026E", 6000},
      {Symbology::kItf, EncodeItf("1234567"), "12345670", 4000},
      {Symbology::kNw7, EncodeNw7("A0123B", true), "A01239B", 4000},
  };
  for (const auto& c : cases) {
    for (int dpi : {300, 600}) {
      SCOPED_TRACE(std::string(c.expected) + " at " + std::to_string(dpi));
      ASSERT_EQ(c.enc.code, 0);
      BarSettings s;
      auto l = LayOut(c.s, c.enc.text, c.extentMm, dpi, s, false);
      std::string got = DecodeWithZbar(l, "bc");
      if (c.s == Symbology::kCode39) got = "*" + got + "*";
      const std::string want = c.s == Symbology::kCode39 ? c.enc.text : c.expected;
      EXPECT_EQ(got, want);
    }
  }
}

}  // namespace
}  // namespace fd::barcode
