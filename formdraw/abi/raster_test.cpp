// Drawing calls checked in the pixels of a printed PNG page, where the trace alone
// cannot tell right from wrong (which way a hatch runs, what a bitmap shows).
#include "formdraw/abi/png_page.h"
#include "formdraw/abi/trace_session.h"

#include <string>

namespace fmtest {
namespace {

struct Continuations {
  int dark = 0, right = 0, down = 0, downRight = 0, downLeft = 0;
};

// For the dark pixels inside the box, how often the next pixel in each direction is dark.
Continuations Follow(const PngPage& page, int x1, int y1, int x2, int y2) {
  Continuations c;
  for (int y = y1; y < y2; ++y)
    for (int x = x1; x < x2; ++x) {
      if (!page.Dark(x, y)) continue;
      ++c.dark;
      c.right += page.Dark(x + 1, y);
      c.down += page.Dark(x, y + 1);
      c.downRight += page.Dark(x + 1, y + 1);
      c.downLeft += page.Dark(x - 1, y + 1);
    }
  return c;
}

class Raster : public TraceSession {
 protected:
  // Ends the page and the session; the page's picture.
  PngPage PrintedPage() {
    EXPECT_EQ(FmPrintOut(S()), 0);
    EXPECT_EQ(FmTerm(S()), 0);
    const auto files = Outputs();
    EXPECT_EQ(files.size(), 1u);
    return files.empty() ? PngPage{} : ReadPngPage(files[0]);
  }
};

// Patterns 2 to 5: horizontal, vertical, forward diagonal (top left to bottom right, as
// "\"), backward diagonal (bottom left to top right, "/"). Boxes of 1000 (59 dots at
// 150 dpi), one a pattern, without frames; the pixels 5 dots inside each are examined.
TEST_F(Raster, HatchesRunTheirWay) {
  format_ = "png";
  Open({}, 150);
  ASSERT_EQ(FmSetLong(4, 0, S()), 0);
  for (int pattern = 2; pattern <= 5; ++pattern) {
    ASSERT_EQ(FmSetPattern(pattern, S()), 0);
    const int x = (pattern - 2) * 1500;
    ASSERT_EQ(FmPrintBox(x, 0, x + 1000, 1000, 0, S()), 0);
  }
  const PngPage page = PrintedPage();
  ASSERT_GT(page.width, 0);
  for (int pattern = 2; pattern <= 5; ++pattern) {
    const int left = (pattern - 2) * 1500 * 1000 / (2540000 / 150);
    const Continuations c = Follow(page, left + 5, 5, left + 54, 54);
    ASSERT_GT(c.dark, 49) << pattern;
    const int along = pattern == 2 ? c.right : pattern == 3 ? c.down : pattern == 4 ? c.downRight : c.downLeft;
    EXPECT_GE(along * 100, c.dark * 95) << "pattern " << pattern;
    if (pattern == 4) EXPECT_EQ(c.downLeft, 0) << "forward diagonal runs top left to bottom right";
    if (pattern == 5) EXPECT_EQ(c.downRight, 0) << "backward diagonal runs bottom left to top right";
  }
}

// A filled circle of 2000 (118 dots at 150 dpi): its middle and the middles of its four
// sides are painted, the corners of its box are not.
TEST_F(Raster, CirclesAreRoundAndFilled) {
  format_ = "png";
  Open({}, 150);
  ASSERT_EQ(FmSetPattern(0, S()), 0);
  ASSERT_EQ(FmPrintCircle(0, 0, 2000, 2000, S()), 0);
  const PngPage page = PrintedPage();
  ASSERT_GT(page.width, 0);
  for (auto [x, y] : {std::pair{59, 59}, {59, 4}, {4, 59}, {113, 59}, {59, 113}})
    EXPECT_TRUE(page.Dark(x, y)) << x << "," << y;
  for (auto [x, y] : {std::pair{10, 10}, {108, 10}, {10, 108}, {108, 108}})
    EXPECT_FALSE(page.Dark(x, y)) << x << "," << y;
}

void Put32(std::string& b, std::size_t o, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[o + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A 4 x 2 run-length bitmap (compression 1 = 8 bits, 2 = 4 bits) whose index 0 is black
// and index 1 white, with the pixel data `data`.
std::string RleBitmap(int compression, const std::string& data) {
  const int bits = compression == 1 ? 8 : 4, entries = 1 << bits;
  std::string b(54 + 4 * entries, '\0');
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 10, static_cast<uint32_t>(b.size()));
  Put32(b, 14, 40);
  Put32(b, 18, 4);
  Put32(b, 22, 2);
  b[26] = 1;
  b[28] = static_cast<char>(bits);
  Put32(b, 30, static_cast<uint32_t>(compression));
  Put32(b, 54 + 4, 0xFFFFFF);
  b += data;
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  return b;
}

// The bitmap's rows, top first: black white black white, then white white black black.
// At 15 dots per inch on a 150-dpi page each pixel is 10 x 10 dots.
TEST_F(Raster, RunLengthBitmapsAreDrawn) {
  format_ = "png";
  Open({}, 150);
  const std::string rle8 = (root_ / "rle8.bmp").string(), rle4 = (root_ / "rle4.bmp").string();
  const std::string bad = (root_ / "overflow.bmp").string();
  std::ofstream(rle8, std::ios::binary) << RleBitmap(1, std::string("\2\1\2\0\0\0\0\4\0\1\0\1\0\1", 14));
  std::ofstream(rle4, std::ios::binary) << RleBitmap(2, std::string("\2\x11\2\0\0\0\0\4\x01\x01\0\1", 12));
  std::ofstream(bad, std::ios::binary) << RleBitmap(1, std::string("\5\1\0\1", 4));
  ASSERT_EQ(FmPrintImage(15, 0, 0, rle8.c_str(), S()), 0);
  ASSERT_EQ(FmPrintImage(15, 1000, 0, rle4.c_str(), S()), 0);
  EXPECT_EQ(FmPrintImage(15, 0, 1000, bad.c_str(), S()), -5) << "a run past the row's end";
  const PngPage page = PrintedPage();
  const bool black[2][4] = {{true, false, true, false}, {false, false, true, true}};
  for (int left : {0, 59})
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 4; ++x)
        EXPECT_EQ(page.Dark(left + 10 * x + 5, 10 * y + 5), black[y][x]) << left << " " << x << "," << y;
  EXPECT_FALSE(page.Dark(5, 59 + 5)) << "the damaged bitmap draws nothing";
}

}  // namespace
}  // namespace fmtest
