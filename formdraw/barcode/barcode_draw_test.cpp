// Bars on a session's page, counted on the trace device: positions through the current
// form's magnification and offsets, the direction, the drawing colour, and the caller's
// objects and settings as they were before.
#include "formdraw/barcode/barcode_draw.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <sstream>

#include "formdraw/device/trace_device.h"
#include "formdraw/image/test_printers.h"
#include "formdraw/session/session_close.h"
#include "formdraw/session/session_open.h"
#include "formdraw/session/session_record.h"
#include "formdraw/session/units.h"

namespace fd::barcode {
namespace {

namespace fs = fmdraw::session;
using fmdraw::testing::TestPrinters;

struct Box {
  int left, top, right, bottom;
};

class BarcodeDraw : public ::testing::Test {
 protected:
  fs::WorkArea& Open(int dpi, const std::array<std::vector<uint8_t>, 12>& arrays = {}) {
    printers_.Install("trace", dpi);
    form_ = printers_.Form("bars.fed", arrays);
    fs::OpenArguments a;
    a.formFile = form_.c_str();
    a.outputFile = "";
    a.documentName = "";
    EXPECT_EQ(fs::OpenSession(record_.data(), a), 0);
    return *fs::OpenWorkArea(record_.data());
  }
  void TearDown() override { fs::CloseSession(record_.data(), true); }

  // Rectangles drawn since the trace's line `from`.
  std::vector<Box> Boxes(fs::WorkArea& area, std::size_t from = 0) {
    auto& trace = dynamic_cast<fmdraw::device::TraceDevice&>(*area.device);
    std::vector<Box> boxes;
    for (std::size_t i = from; i < trace.Lines().size(); ++i) {
      std::istringstream in(trace.Lines()[i]);
      std::string word;
      Box b{};
      if (in >> word && word == "Rectangle" && in >> b.left >> b.top >> b.right >> b.bottom) boxes.push_back(b);
    }
    return boxes;
  }
  std::size_t TraceSize(fs::WorkArea& area) {
    return dynamic_cast<fmdraw::device::TraceDevice&>(*area.device).Lines().size();
  }

  TestPrinters printers_{::testing::UnitTest::GetInstance()->current_test_info()->name()};
  std::string form_;
  std::array<int32_t, 4> record_{};
};

TEST_F(BarcodeDraw, CornersPassThroughMagnificationAndOffsets) {
  fs::WorkArea& area = Open(600);
  auto& form = area.forms.CurrentSettings();
  form.magnification = 200;
  form.xOffset = 1000;
  form.yOffset = 500;
  BarcodeRequest r;
  r.symbology = Symbology::kItf;
  r.x1 = 1000, r.y1 = 2000, r.x2 = 3000, r.y2 = 2500;
  r.text = "1234";
  char encoded[32];
  ASSERT_EQ(DrawBarcode(area, r, encoded), 0);
  const auto boxes = Boxes(area);
  ASSERT_EQ(boxes.size(), 2u + 10u + 2u);  // start, two digit pairs, stop
  // x1' = 1000 * 2 + 1000 = 3000 (0.01 mm) = 708 dots at 600 dpi; y 4500 / 5500.
  EXPECT_EQ(boxes[0].left, fs::HundredthsToDots(3000, 600));
  EXPECT_EQ(boxes[0].top, fs::HundredthsToDots(4500, 600));
  EXPECT_EQ(boxes[0].bottom, fs::HundredthsToDots(5500, 600) + 1);
  // E = 4000: w = 4000 / (4 * 9 + 8) = 90, n = 21 dots; the first bar is n wide and its
  // right edge inclusive; the next bar follows a narrow space advanced 2 dots more.
  const int n = fs::HundredthsToDots(90, 600);
  EXPECT_EQ(boxes[0].right - boxes[0].left, n + 1);
  EXPECT_EQ(boxes[1].left - boxes[0].left, n + n + 2);
}

TEST_F(BarcodeDraw, TopToBottomRunsDownTheRectangle) {
  fs::WorkArea& area = Open(300);
  BarcodeRequest r;
  r.symbology = Symbology::kCode39;
  r.direction = 2;
  r.x1 = 1000, r.y1 = 1000, r.x2 = 2000, r.y2 = 9000;
  r.text = "AB";
  ASSERT_EQ(DrawBarcode(area, r, nullptr), 0);
  const auto boxes = Boxes(area);
  ASSERT_EQ(boxes.size(), 4u * 5u);
  for (const auto& b : boxes) {
    EXPECT_EQ(b.left, fs::HundredthsToDots(1000, 300));
    EXPECT_EQ(b.right, fs::HundredthsToDots(2000, 300) + 1);
  }
  EXPECT_EQ(boxes[0].top, fs::HundredthsToDots(1000, 300));
  EXPECT_GT(boxes[19].bottom, boxes[0].bottom);
  EXPECT_LE(boxes[19].bottom, fs::HundredthsToDots(9000, 300) + 1);
}

TEST_F(BarcodeDraw, CallersObjectsAndSettingsStayAsTheyWere) {
  fs::WorkArea& area = Open(300);
  fmdraw::device::Pen dashed{fmdraw::device::kPenDash, 1, 0x00FF00};
  fmdraw::device::Brush hatch;
  hatch.kind = fmdraw::device::BrushKind::kHatch;
  hatch.hatch = 3;
  area.device->SelectPen(dashed);
  area.device->SelectBrush(hatch);
  area.drawing.line = fs::LineSetting{1, 20};
  area.drawing.pattern = 4;
  area.drawing.frameOn = 0;
  area.drawing.textColor = 0x0000FF;
  const auto before = area.drawing.line;
  BarcodeRequest r;
  r.symbology = Symbology::kJan8;
  r.x1 = 1000, r.y1 = 1000, r.x2 = 3200, r.y2 = 2000;
  r.text = "4901234";
  const std::size_t start = TraceSize(area);
  ASSERT_EQ(DrawBarcode(area, r, nullptr), 0);
  EXPECT_EQ(Boxes(area, start).size(), 22u);
  EXPECT_EQ(area.device->State().pen, dashed);
  EXPECT_EQ(area.device->State().brush, hatch);
  EXPECT_EQ(area.drawing.line, before);
  EXPECT_EQ(area.drawing.pattern, 4);
  EXPECT_EQ(area.drawing.frameOn, 0);
  EXPECT_EQ(area.forms.CurrentSettings().magnification, 100);
  // The bars were solid in the drawing colour with a 1-dot pen.
  auto& trace = dynamic_cast<fmdraw::device::TraceDevice&>(*area.device);
  std::string drawn;
  for (std::size_t i = start; i < trace.Lines().size(); ++i) drawn += trace.Lines()[i] + "\n";
  EXPECT_NE(drawn.find("SelectPen style=0 width=1"), std::string::npos) << drawn;
  EXPECT_NE(drawn.find("SelectBrush solid"), std::string::npos) << drawn;
}

TEST_F(BarcodeDraw, DisplaysIgnoreMinimumAndExplicitWidths) {
  fs::WorkArea& area = Open(300);
  int32_t info[] = {6, 0};
  SetBarInfo(area, info);
  int32_t set[] = {-4, 2, 2, 5, 5};
  SetBarInfo(area, set);
  EXPECT_EQ(area.barcode.minimumNarrow, 6);
  EXPECT_EQ(area.barcode.widthSets[3][2], 5);
  BarcodeRequest r;
  r.symbology = Symbology::kItf;
  r.x1 = 0, r.y1 = 0, r.x2 = 10, r.y2 = 1000;  // 1-dot computed narrow width
  r.text = "12";
  std::size_t start = TraceSize(area);
  ASSERT_EQ(DrawBarcode(area, r, nullptr), 0);
  auto printer = Boxes(area, start);
  ASSERT_FALSE(printer.empty());
  EXPECT_EQ(printer[0].right - printer[0].left, 2 + 1) << "explicit narrow bar";
  area.outputKind = fs::kDisplayOutput;
  start = TraceSize(area);
  ASSERT_EQ(DrawBarcode(area, r, nullptr), 0);
  auto display = Boxes(area, start);
  ASSERT_FALSE(display.empty());
  EXPECT_EQ(display[0].right - display[0].left, 1 + 1) << "computed, uncorrected";
  area.outputKind = fs::kPrinterOutput;
  // A first value of 0 switches the set off; the minimum then applies.
  int32_t off[] = {-4, 0, 0, 0, 0};
  SetBarInfo(area, off);
  start = TraceSize(area);
  ASSERT_EQ(DrawBarcode(area, r, nullptr), 0);
  EXPECT_EQ(Boxes(area, start)[0].right - Boxes(area, start)[0].left, 6 + 1);
}

TEST_F(BarcodeDraw, FarOutCornersNeverOverflow) {
  fs::WorkArea& area = Open(600);
  area.forms.CurrentSettings().magnification = 1000;
  area.forms.CurrentSettings().xOffset = 32767;
  for (auto [x1, x2] : {std::pair{INT32_MIN, INT32_MAX}, std::pair{INT32_MAX, INT32_MIN}, std::pair{0, INT32_MAX}}) {
    for (int direction : {1, 2}) {
      BarcodeRequest r;
      r.symbology = Symbology::kItf;
      r.direction = direction;
      r.x1 = x1, r.x2 = x2, r.y1 = x1, r.y2 = x2;
      r.text = "12";
      EXPECT_EQ(DrawBarcode(area, r, nullptr), 0);
    }
  }
}

TEST_F(BarcodeDraw, FieldColourBecomesTheTextColour) {
  std::array<std::vector<uint8_t>, 12> arrays;
  arrays[fmdraw::testing::kBarcodeFieldKind] =
      fmdraw::testing::BarcodeField("bc", 2, 0, 1, 1440, 1440, 4320, 2160, 0x00FF0000);
  fs::WorkArea& area = Open(300, arrays);
  area.drawing.lineApplied = area.drawing.patternApplied = area.drawing.fontApplied = true;
  char encoded[16];
  ASSERT_EQ(PrintBarcodeField(area, "bc", "490123456789", encoded), 0);
  EXPECT_STREQ(encoded, "4901234567894");
  EXPECT_EQ(area.drawing.textColor, 0x00FF0000u);
  EXPECT_FALSE(area.drawing.lineApplied || area.drawing.patternApplied || area.drawing.fontApplied);
  auto& trace = dynamic_cast<fmdraw::device::TraceDevice&>(*area.device);
  std::string all;
  for (const auto& l : trace.Lines()) all += l + "\n";
  EXPECT_NE(all.find("SelectBrush solid color=" ), std::string::npos);
  // Twips 1440 = 2540 (0.01 mm) = 300 dots at 300 dpi; the first bar follows the 0-module
  // start space, advanced by the 2-dot correction (n = 5080 / 141 = 36 -> 4 dots).
  EXPECT_EQ(Boxes(area)[0].left, 302);
  EXPECT_EQ(PrintBarcodeField(area, "bc ", "490123456789", encoded), -3);
  EXPECT_EQ(PrintBarcodeField(area, std::string(21, 'b'), "490123456789", encoded), -3);
}

}  // namespace
}  // namespace fd::barcode
