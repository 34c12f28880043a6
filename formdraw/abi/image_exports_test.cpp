// Images through the C interface on a trace printer: argument checks, sizes, the
// bitmap primitive's codes.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "formdraw/fmdraw32.h"
#include "formdraw/image/test_printers.h"

namespace {

using namespace fmdraw::testing;

class ImageExports : public ::testing::Test {
 protected:
  void SetUp() override {
    printers_.Install("trace", 600);
    std::array<std::vector<uint8_t>, 12> arrays;
    arrays[kImageFieldKind] = ImageField("photo", 0, 0, 1440, 720);
    form_ = printers_.Form("pics.fed", arrays);
    bmp_ = (printers_.Root() / "img" / "pic.bmp").string();
    WriteBytes(bmp_, Bitmap24(100, 50, [](int x, int) { return x < 50 ? 0xFF0000u : 0x0000FFu; }));
  }
  TestPrinters printers_{::testing::UnitTest::GetInstance()->current_test_info()->name()};
  std::string form_, bmp_;
  std::array<int32_t, 4> session_{};
};

TEST_F(ImageExports, FreeImagesAndFields) {
  int32_t* s = session_.data();
  EXPECT_EQ(FmPrintImage(100, 0, 0, bmp_.c_str(), s), -1);
  EXPECT_EQ(FmPrintImageField("photo", bmp_.c_str(), s), -1);
  ASSERT_EQ(FmInit(0, 0, 1, 100, 0, 0, 0, 0, 0, 0, form_.c_str(), "", s), 0);
  EXPECT_EQ(FmPrintImage(0, 0, 0, bmp_.c_str(), s), -2);
  EXPECT_EQ(FmPrintImage(1001, 0, 0, bmp_.c_str(), s), -2);
  EXPECT_EQ(FmPrintImage(1000, 0, 0, bmp_.c_str(), s), 0);
  EXPECT_EQ(FmPrintImage(100, 0, 0, bmp_.c_str(), s), 0);
  EXPECT_EQ(FmPrintImage(100, 0, 0, nullptr, s), -2);
  EXPECT_EQ(FmPrintImageField("photo", bmp_.c_str(), s), 0);
  EXPECT_EQ(FmPrintImageField("nothing", bmp_.c_str(), s), -3);
  EXPECT_EQ(FmPrintImageField(nullptr, bmp_.c_str(), s), -3);
  EXPECT_EQ(FmPrintOut(s), 0);
  EXPECT_EQ(FmTerm(s), 0);
  const auto outputs = printers_.Outputs();
  ASSERT_EQ(outputs.size(), 1u);
  const std::string trace = ReadAll(outputs[0]);
  EXPECT_NE(trace.find("StretchBitmap 0 0 60 30 source=100x50"), std::string::npos) << trace;
  EXPECT_NE(trace.find("StretchBitmap 0 0 600 300 source=100x50"), std::string::npos) << trace;
  // The field (1 x 0.5 inch at 600 dpi) is drawn the same size as the free image at 100 dpi.
  const auto first = trace.find("StretchBitmap 0 0 600 300 source=100x50");
  EXPECT_NE(trace.find("StretchBitmap 0 0 600 300 source=100x50", first + 1), std::string::npos) << trace;
}

TEST_F(ImageExports, BitmapPrimitiveCodes) {
  const auto dir = printers_.Root() / "img";
  WriteBytes(dir / "short.bmp", std::string("BM\x10\0", 4));
  WriteBytes(dir / "noinfo.bmp", std::string(20, '\0'));
  struct Row { std::string file; int offset; int expected; };
  const Row rows[] = {
      {"", 0, -2},
      {(dir / "absent.bmp").string(), 0, -2},
      {(dir / "short.bmp").string(), 0, -3},
      {(dir / "noinfo.bmp").string(), 0, -4},
      {bmp_, 1 << 20, -11},
      {bmp_, 0, -7},  // read completely; no device context to stretch onto
  };
  for (const auto& r : rows)
    EXPECT_EQ(DrawBitMap(0, 0, 100, 600, r.file.c_str(), 100, 0, 0, 0, 0, r.offset), r.expected) << r.file;
  EXPECT_EQ(DrawBitMap(0, 0, 100, 600, nullptr, 100, 0, 0, 0, 0, 0), -2);
}

}  // namespace
