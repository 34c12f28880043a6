// Drawing calls checked in the pixels of a printed PNG page, where the trace alone
// cannot tell right from wrong (which way a hatch runs, what a bitmap shows).
#include "formdraw/abi/png_page.h"
#include "formdraw/abi/trace_session.h"

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

}  // namespace
}  // namespace fmtest
