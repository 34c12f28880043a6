// The page worker: what it draws is exactly what the backend would have drawn, its answers
// are the backend's, and a page that fails on the worker is reported once, with its error.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "formdraw/device/cairo_device.h"
#include "formdraw/device/pipelined_device.h"
#include "formdraw/device/trace_device.h"
#include "platform/codepage.h"

namespace fs = std::filesystem;

namespace fmdraw::device {
namespace {

DeviceCaps PageCaps() {
  DeviceCaps caps;
  caps.dpiX = caps.dpiY = 300;
  caps.pageWidth = 2000;
  caps.pageHeight = 1400;
  return caps;
}

Font Face(const char* utf8Face, int height) {
  Font f;
  f.height = height;
  f.width = height / 2;
  f.face = platform::Utf8ToCp932(utf8Face);
  return f;
}

// Two pages using every kind of call. Texts and points are passed from buffers that are
// overwritten straight after each call, as the library's callers do with theirs.
void DrawSample(Device& dev) {
  ASSERT_TRUE(dev.StartDoc(platform::Utf8ToCp932("日報")));
  for (int page = 1; page <= 2; ++page) {
    ASSERT_TRUE(dev.StartPage());
    std::string text;
    std::vector<Point> points;
    dev.SelectPen({kPenDash, 3, 0x0000FF});
    dev.SelectBrush({BrushKind::kHatch, 2, {}, 0x00FF00, kWhite});
    dev.SetBkMode(BkMode::kOpaque);
    dev.SetBkColor(0xC0C0C0);
    dev.MoveTo(10, 10);
    dev.LineTo(500, 10 * page);
    dev.Rectangle({20, 20, 300, 200});
    dev.RoundRect({320, 20, 600, 200}, 40, 30);
    dev.Ellipse({620, 20, 900, 200});
    dev.Arc({20, 220, 300, 400}, {300, 300}, {20, 300});
    dev.Chord({320, 220, 600, 400}, {600, 300}, {320, 300});
    dev.Pie({620, 220, 900, 400}, {900, 310}, {620, 310});
    points = {{1000, 20}, {1200, 200}, {1000, 200}};
    dev.Polygon(points);
    points.assign({{0, 0}, {1, 1}, {2, 2}});
    dev.SetClipRect({0, 0, 1500, 1000});
    dev.SelectFont(Face("ＭＳ 明朝", 60));
    dev.SetTextColor(0x0000FF);
    dev.SetBkMode(BkMode::kTransparent);
    text = platform::Utf8ToCp932("月報 " + std::to_string(page));
    dev.TextOut(40, 500, text);
    text.assign(text.size(), 'X');
    const std::string a = platform::Utf8ToCp932("最"), b = platform::Utf8ToCp932("大");
    std::vector<RunPiece> run{{a, {40, 600}}, {b, {110, 600}}, {"9", {180, 600}}};
    dev.TextRun(run);
    run.clear();
    dev.ClearClip();
    dev.SelectFont(Face("ＭＳ ゴシック", 40));
    dev.TextOut(40, 700, platform::Utf8ToCp932("合計 12,345.6"));
    Bitmap bitmap{2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}};
    dev.StretchBitmap(bitmap, {1300, 500, 1500, 700});
    bitmap.pixels.assign(4, 0);
    dev.Rectangle({1300, 720, 1500, 800});  // after the bitmap, in order
    // A page of figures: more calls than the worker is handed at once while it waits.
    for (int i = 0; i < 150; ++i) {
      if (i % 10 == 0) dev.SelectFont(Face(i % 20 == 0 ? "ＭＳ 明朝" : "ＭＳ ゴシック", 30 + i / 10));
      if (i % 7 == 0) dev.SelectPen({kPenSolid, 1 + i % 3, static_cast<Color>(i)});
      text = std::to_string(i * 37.5);
      dev.TextOut(40 + (i % 15) * 120, 800 + (i / 15) * 50, text);
      text.assign(text.size(), '#');
    }
    ASSERT_EQ(dev.EndPage(), PageError::kNone);
  }
}

const std::vector<std::string>& LinesOf(const PipelinedDevice& pipe) {
  return dynamic_cast<const TraceDevice&>(pipe.Backend()).Lines();
}

TEST(PipelinedDevice, TheBackendGetsEveryCallInOrderWithItsArguments) {
  TraceDevice direct(PageCaps(), nullptr);
  DrawSample(direct);
  ASSERT_TRUE(direct.EndDoc());

  PipelinedDevice pipe(std::make_unique<TraceDevice>(PageCaps(), nullptr));
  DrawSample(pipe);
  ASSERT_TRUE(pipe.EndDoc());
  EXPECT_EQ(LinesOf(pipe), direct.Lines());
  EXPECT_GT(direct.Lines().size(), 400u);
}

// A backend that takes its time over each page, as a PDF page's output does.
class SlowPages : public TraceDevice {
 public:
  using TraceDevice::TraceDevice;
  PageError EndPage() override {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    return TraceDevice::EndPage();
  }
};

// A document started while another is still open (never ended nor aborted) comes after
// every page handed over before it.
TEST(PipelinedDevice, ADocumentStartedOverAnOpenOneFollowsItsPages) {
  TraceDevice direct(PageCaps(), nullptr);
  DrawSample(direct);
  ASSERT_TRUE(direct.StartDoc("next"));
  ASSERT_TRUE(direct.EndDoc());

  PipelinedDevice pipe(std::make_unique<SlowPages>(PageCaps(), nullptr));
  DrawSample(pipe);
  ASSERT_TRUE(pipe.StartDoc("next"));
  ASSERT_TRUE(pipe.EndDoc());
  EXPECT_EQ(LinesOf(pipe), direct.Lines());
}

TEST(PipelinedDevice, MeasuresAndSelectsAsTheBackendDoes) {
  TraceDevice direct(PageCaps(), nullptr);
  PipelinedDevice pipe(std::make_unique<TraceDevice>(PageCaps(), nullptr));
  EXPECT_EQ(pipe.Caps().pageWidth, 2000);
  for (Device* dev : {static_cast<Device*>(&direct), static_cast<Device*>(&pipe)}) {
    ASSERT_TRUE(dev->StartDoc("m"));
    ASSERT_TRUE(dev->SelectFont(Face("ＭＳ 明朝", 50)));
  }
  for (const char* utf8 : {"日報", "1234.5", "ｱｲｳ", "最大値 (kW)"}) {
    const std::string cp932 = platform::Utf8ToCp932(utf8);
    EXPECT_EQ(pipe.TextExtent(cp932).cx, direct.TextExtent(cp932).cx) << utf8;
    EXPECT_EQ(pipe.TextExtent(cp932).cy, direct.TextExtent(cp932).cy) << utf8;
  }
  // The font stays selected on both sides: the pipeline's own state is the caller's.
  EXPECT_EQ(pipe.State().font, direct.State().font);
  pipe.AbortDoc();
  EXPECT_EQ(LinesOf(pipe).back(), "AbortDoc");
}

TEST(PipelinedDevice, DrawsNothingOutsideADocument) {
  PipelinedDevice pipe(std::make_unique<TraceDevice>(PageCaps(), nullptr));
  EXPECT_FALSE(pipe.StartPage());
  EXPECT_EQ(pipe.EndPage(), PageError::kOther);
  EXPECT_FALSE(pipe.Rectangle({0, 0, 10, 10}));
  EXPECT_FALSE(pipe.TextOut(0, 0, "a"));
  EXPECT_FALSE(pipe.StretchBitmap({1, 1, {0}}, {0, 0, 5, 5}));
  ASSERT_TRUE(pipe.StartDoc("d"));
  ASSERT_TRUE(pipe.StartPage());
  EXPECT_TRUE(pipe.Rectangle({0, 0, 10, 10}));
  EXPECT_EQ(pipe.EndPage(), PageError::kNone);
  ASSERT_TRUE(pipe.EndDoc());
  EXPECT_FALSE(pipe.LineTo(5, 5));
  const auto& lines = LinesOf(pipe);
  ASSERT_EQ(lines.size(), 5u);  // StartDoc, StartPage, Rectangle, EndPage, EndDoc
  EXPECT_EQ(lines.back(), "EndDoc");
}

// A trace backend whose pages fail as the test says.
class FailingPages : public TraceDevice {
 public:
  FailingPages(std::set<int> failing, PageError error)
      : TraceDevice(PageCaps(), nullptr), failing_(std::move(failing)), error_(error) {}
  PageError EndPage() override {
    TraceDevice::EndPage();
    return failing_.count(++page_) != 0 ? error_ : PageError::kNone;
  }

 private:
  std::set<int> failing_;
  PageError error_;
  int page_ = 0;
};

// Pages 1..pages through the pipeline: the errors its page ends and FinishPages report.
std::vector<PageError> Errors(PipelinedDevice& pipe, int pages) {
  std::vector<PageError> errors;
  EXPECT_TRUE(pipe.StartDoc("e"));
  for (int page = 1; page <= pages; ++page) {
    pipe.StartPage();
    pipe.Rectangle({page, page, 100, 100});
    errors.push_back(pipe.EndPage());
  }
  errors.push_back(pipe.FinishPages());
  return errors;
}

TEST(PipelinedDevice, APageFailingOnTheWorkerIsReportedOnceNotBeforeItsEnd) {
  PipelinedDevice pipe(std::make_unique<FailingPages>(std::set<int>{2}, PageError::kMemory));
  const auto errors = Errors(pipe, 4);
  EXPECT_EQ(errors[0], PageError::kNone);  // page 1 drew well
  // Page 2's end reports it when the worker was done with it by then, page 3's end at the
  // latest: it waits for the page before it.
  EXPECT_TRUE(errors[1] == PageError::kMemory || errors[2] == PageError::kMemory);
  EXPECT_EQ(std::count(errors.begin(), errors.end(), PageError::kMemory), 1);
  EXPECT_EQ(std::count(errors.begin(), errors.end(), PageError::kNone), 4);
}

TEST(PipelinedDevice, TheLastPageFailingFailsTheDocumentAndNothingIsDelivered) {
  {
    PipelinedDevice pipe(std::make_unique<FailingPages>(std::set<int>{3}, PageError::kDiskFull));
    ASSERT_TRUE(pipe.StartDoc("e"));
    for (int page = 1; page <= 3; ++page) {
      pipe.StartPage();
      pipe.EndPage();
    }
    // Ended without asking for the late error (or after page 3's end reported it): the
    // document is cancelled, not delivered.
    EXPECT_FALSE(pipe.EndDoc());
    EXPECT_EQ(LinesOf(pipe).back(), "AbortDoc");
    // The next document starts clean.
    ASSERT_TRUE(pipe.StartDoc("next"));
    pipe.StartPage();
    EXPECT_EQ(pipe.EndPage(), PageError::kNone);
    EXPECT_TRUE(pipe.EndDoc());
    EXPECT_EQ(LinesOf(pipe).back(), "EndDoc");
  }
  PipelinedDevice pipe(std::make_unique<FailingPages>(std::set<int>{3}, PageError::kDiskFull));
  const auto errors = Errors(pipe, 3);
  EXPECT_EQ(std::count(errors.begin(), errors.end(), PageError::kDiskFull), 1);
}

// A trace backend that counts the pages it ended where the test can read them afterwards.
class CountedPages : public TraceDevice {
 public:
  explicit CountedPages(int& ended) : TraceDevice(PageCaps(), nullptr), ended_(ended) {}
  PageError EndPage() override {
    ++ended_;
    return TraceDevice::EndPage();
  }

 private:
  int& ended_;
};

TEST(PipelinedDevice, PagesHandedOverAreDrawnBeforeTheDeviceGoesAway) {
  int ended = 0;
  {
    PipelinedDevice pipe(std::make_unique<CountedPages>(ended));
    ASSERT_TRUE(pipe.StartDoc("gone"));
    for (int page = 0; page < 3; ++page) {
      pipe.StartPage();
      pipe.Ellipse({0, 0, 50, 50});
      pipe.EndPage();
    }
    // Dropped with its last page perhaps still being drawn, as when a session is freed.
  }
  EXPECT_EQ(ended, 3);
}

class PdfFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("fmpipe_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  static std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  fs::path dir_;
};

TEST_F(PdfFolder, ThePdfIsTheOneTheBackendMakesOnItsOwn) {
  CairoDevice direct(CairoDevice::Kind::kPdf, PageCaps(), std::make_unique<FolderOutput>(dir_.string()));
  DrawSample(direct);
  ASSERT_TRUE(direct.EndDoc());
  PipelinedDevice pipe(std::make_unique<CairoDevice>(CairoDevice::Kind::kPdf, PageCaps(),
                                                     std::make_unique<FolderOutput>(dir_.string())));
  DrawSample(pipe);
  ASSERT_TRUE(pipe.EndDoc());
  std::vector<fs::path> files(fs::directory_iterator(dir_), fs::directory_iterator{});
  ASSERT_EQ(files.size(), 2u);
  const std::string a = Bytes(files[0]), b = Bytes(files[1]);
  ASSERT_GT(a.size(), 1000u);
  EXPECT_TRUE(a == b) << "the two documents differ";
}

}  // namespace
}  // namespace fmdraw::device
