// The image printer on a session: sizes on the trace device, the image directory rules of
// the two calls, TIFF conversion through temporary copies, the static images of a form,
// and real pixels on a PNG page.
#include "formdraw/image/image_printer.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <array>
#include <sstream>

#include "formdraw/device/trace_device.h"
#include "formdraw/image/draw_bitmap.h"
#include "formdraw/image/temp_copies.h"
#include "formdraw/image/test_printers.h"
#include "formdraw/session/session_close.h"
#include "formdraw/session/page_cycle.h"
#include "formdraw/session/session_open.h"
#include "formdraw/session/session_record.h"

namespace fd::image {
namespace {

namespace fs = fmdraw::session;
namespace tfs = std::filesystem;
using namespace fmdraw::testing;

uint32_t Quadrant(int x, int y, int w, int h) {
  const bool right = x >= w / 2, bottom = y >= h / 2;
  return !right && !bottom ? 0xFF0000 : right && !bottom ? 0x00FF00 : !right ? 0x0000FF : 0x000000;
}

std::vector<uint8_t> Plain(int w, int h) {
  return Bitmap24(w, h, [](int, int) { return 0x808080u; });
}

tfs::path TiffSample() {
  const char* src = std::getenv("TB_SOURCE_DIR");
  return tfs::path(src != nullptr ? src : ".") / "fmimg" / "testdata" / "tiff_corpus" / "rgb.tif";
}

class ImagePrinter : public ::testing::Test {
 protected:
  fs::WorkArea& Open(const std::string& format, int dpi,
                     const std::array<std::vector<uint8_t>, 12>& arrays = {}) {
    printers_.Install(format, dpi);
    form_ = printers_.Form("pics.fed", arrays);
    fs::OpenArguments a;
    a.formFile = form_.c_str();
    a.outputFile = "";
    a.documentName = "";
    EXPECT_EQ(fs::OpenSession(record_.data(), a), 0);
    fs::WorkArea* area = fs::OpenWorkArea(record_.data());
    area->tempDirectory = Dir("tmp");
    return *area;
  }
  void TearDown() override {
    if (fs::OpenWorkArea(record_.data()) != nullptr) fs::CloseSession(record_.data(), true);
  }
  std::string Dir(const std::string& sub) const { return (printers_.Root() / sub).string(); }
  std::string File(const std::string& sub, const std::vector<uint8_t>& bytes) const {
    tfs::create_directories((printers_.Root() / sub).parent_path());
    WriteBytes(printers_.Root() / sub, bytes);
    return (printers_.Root() / sub).string();
  }
  static std::vector<std::string> Stretches(fs::WorkArea& area) {
    std::vector<std::string> out;
    for (const auto& l : dynamic_cast<fmdraw::device::TraceDevice&>(*area.device).Lines())
      if (l.rfind("StretchBitmap", 0) == 0) out.push_back(l);
    return out;
  }
  std::vector<std::string> TempFiles() const {
    std::vector<std::string> names;
    for (auto& e : tfs::directory_iterator(printers_.Root() / "tmp")) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  TestPrinters printers_{::testing::UnitTest::GetInstance()->current_test_info()->name()};
  std::string form_;
  std::array<int32_t, 4> record_{};
};

TEST_F(ImagePrinter, ResolutionRangeAndNaturalSize) {
  fs::WorkArea& area = Open("trace", 600);
  const std::string bmp = File("pic.bmp", Plain(100, 50));
  EXPECT_EQ(PrintImage(area, 0, 0, 0, bmp), kBadResolution);
  EXPECT_EQ(PrintImage(area, 1001, 0, 0, bmp), kBadResolution);
  EXPECT_EQ(PrintImage(area, 100, 2540, 1270, bmp), 0);
  EXPECT_EQ(PrintImage(area, 1000, 0, 0, bmp), 0);
  area.forms.CurrentSettings().magnification = 50;
  area.forms.CurrentSettings().xOffset = 254;
  EXPECT_EQ(PrintImage(area, 100, 2540, 0, bmp), 0);
  const auto s = Stretches(area);
  ASSERT_EQ(s.size(), 3u);
  // 100 x 50 pixels at 100 dpi on 600 dpi: 600 x 300 dots at (600, 300).
  EXPECT_EQ(s[0], "StretchBitmap 600 300 1200 600 source=100x50");
  EXPECT_EQ(s[1], "StretchBitmap 0 0 60 30 source=100x50");
  // Half size at 25.4 * 0.5 + 2.54 mm = 360 dots.
  EXPECT_EQ(s[2], "StretchBitmap 360 0 660 150 source=100x50");
  // DrawBitMap changed the device's colours: the cached objects are made again.
  EXPECT_FALSE(area.drawing.lineApplied || area.drawing.patternApplied || area.drawing.fontApplied);
}

TEST_F(ImagePrinter, ImageDirectoryRulesOfTheTwoCalls) {
  std::array<std::vector<uint8_t>, 12> arrays;
  arrays[kImageFieldKind] = ImageField("photo", 1440, 1440, 2880, 2160);
  fs::WorkArea& area = Open("trace", 300, arrays);
  const std::string own = File("data/a.bmp", Plain(10, 10));
  File("img/a.bmp", Plain(20, 20));
  File("img/only.bmp", Plain(30, 30));
  area.imageDirectory = Dir("img");
  // The free image always comes from the image directory; the field takes the file as
  // named when it exists, else the image directory.
  EXPECT_EQ(PrintImage(area, 100, 0, 0, own), 0);
  EXPECT_EQ(PrintImageField(area, "photo", own), 0);
  EXPECT_EQ(PrintImageField(area, "photo", "C:\\data\\only.bmp"), 0);
  EXPECT_EQ(PrintImageField(area, "photo", "C:\\data\\none.bmp"), kFileNotFound);
  EXPECT_EQ(PrintImageField(area, "Photo", own), kNoImageField);
  EXPECT_EQ(PrintImageField(area, "photo", ""), kFileNotFound);
  const auto s = Stretches(area);
  ASSERT_EQ(s.size(), 3u);
  EXPECT_NE(s[0].find("source=20x20"), std::string::npos);
  // Field: 1440..2880 x 1440..2160 twips = 2540..5080 x 2540..3810 (0.01 mm) at 300 dpi.
  EXPECT_EQ(s[1], "StretchBitmap 300 300 600 450 source=10x10");
  EXPECT_NE(s[2].find("source=30x30"), std::string::npos);
}

TEST_F(ImagePrinter, TiffImagesGoThroughTemporaryCopies) {
  std::array<std::vector<uint8_t>, 12> arrays;
  arrays[kImageFieldKind] = ImageField("photo", 0, 0, 1440, 1440);
  fs::WorkArea& area = Open("trace", 300, arrays);
  const std::string tiff = File("scan.Tiff", {});
  tfs::copy_file(TiffSample(), tiff, tfs::copy_options::overwrite_existing);
  EXPECT_EQ(PrintImage(area, 100, 0, 0, tiff), 0);
  EXPECT_EQ(PrintImageField(area, "photo", tiff), 0);
  EXPECT_EQ(Stretches(area).size(), 2u);
  EXPECT_TRUE(TempFiles().empty()) << "copies live only during the call";
  // A TIFF name that names no file: the conversion fails (-11) and its empty copy is
  // deleted; the field call looks for the file first (-2).
  EXPECT_EQ(PrintImage(area, 100, 0, 0, Dir("none.tif")), kConversionFailed);
  EXPECT_EQ(PrintImageField(area, "photo", Dir("none.tif")), kFileNotFound);
  EXPECT_TRUE(TempFiles().empty());
  // A temporary directory that is not a directory: no temporary name.
  area.tempDirectory = Dir("missing");
  EXPECT_EQ(PrintImage(area, 100, 0, 0, tiff), kNoTempName);
}

TEST_F(ImagePrinter, StaticImagesOfAFormAreConvertedOncePerSlotLoad) {
  std::array<std::vector<uint8_t>, 12> arrays;
  auto& images = arrays[kImageKind];
  for (const auto& r : {ImageRecord("C:\\scans\\page.TIF", 1440, 1440, 2880, 2880),
                        ImageRecord("logo.bmp", 0, 0, 1440, 720),
                        ImageRecord("missing.tif", 0, 0, 1440, 1440)})
    images.insert(images.end(), r.begin(), r.end());
  fs::WorkArea& area = Open("trace", 300, arrays);
  tfs::create_directories(Dir("img"));
  tfs::copy_file(TiffSample(), Dir("img") + "/page.TIF");
  File("img/logo.bmp", Plain(8, 4));
  area.imageDirectory = Dir("img");
  File("tmp/$FMKTMP$.001", {});  // left behind by an earlier run: its number stays taken

  const int slot = area.forms.CurrentSlot();
  PreconvertFormImages(area, slot);
  PreconvertFormImages(area, slot);  // converted once per slot load
  EXPECT_EQ(TempFiles(), (std::vector<std::string>{"$FMKTMP$.001", "$FMKTMP$.002"}));
  const auto& form = area.forms.Slot(slot).form;
  FormPassGeometry g{100, 300, 0, 0};
  for (int i = 0; i < 3; ++i) DrawFormImage(area, form.Record(4, i), g);
  const auto s = Stretches(area);
  ASSERT_EQ(s.size(), 2u) << "the unconverted TIFF is left out";
  EXPECT_NE(s[0].find("StretchBitmap 300 300 600 600"), std::string::npos) << s[0];
  EXPECT_EQ(s[1], "StretchBitmap 0 0 300 150 source=8x4") << "found in the image directory";

  // Replacing the form releases the slot's copies.
  ASSERT_EQ(fs::ChangeForm(record_.data(), form_.c_str()), 0);
  EXPECT_EQ(TempFiles(), (std::vector<std::string>{"$FMKTMP$.001"}));
  PreconvertFormImages(area, area.forms.CurrentSlot());
  EXPECT_EQ(TempFiles().size(), 2u);
  fs::CloseSession(record_.data(), false);
  EXPECT_EQ(TempFiles(), (std::vector<std::string>{"$FMKTMP$.001"})) << "closing deletes the copies";
}

TEST_F(ImagePrinter, AKnownBitmapShowsItsPixelsWhereTheFieldIs) {
  std::array<std::vector<uint8_t>, 12> arrays;
  // 1 x 0.5 inch at (1, 1) inch.
  arrays[kImageFieldKind] = ImageField("photo", 1440, 1440, 2880, 2160);
  fs::WorkArea& area = Open("png", 100, arrays);
  const std::string bmp = File("quad.bmp", Bitmap24(40, 20, [](int x, int y) { return Quadrant(x, y, 40, 20); }));
  ASSERT_EQ(PrintImageField(area, "photo", bmp), 0);
  ASSERT_EQ(fs::EndPage(area), 0);
  ASSERT_EQ(fs::CloseSession(record_.data(), false), 0);
  const auto outputs = printers_.Outputs();
  ASSERT_EQ(outputs.size(), 1u);
  if (const char* keep = std::getenv("TB_KEEP_PAGES")) tfs::copy_file(outputs[0], tfs::path(keep) / "image_field.png", tfs::copy_options::overwrite_existing);
  cairo_surface_t* png = cairo_image_surface_create_from_png(outputs[0].c_str());
  ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
  cairo_surface_flush(png);
  const auto* data = cairo_image_surface_get_data(png);
  const int stride = cairo_image_surface_get_stride(png);
  auto pixel = [&](int x, int y) {
    return *reinterpret_cast<const uint32_t*>(data + y * stride + 4 * x) & 0xFFFFFF;
  };
  // The field covers dots 100..199 x 100..149 at 100 dpi (1440 twips = 2540 = 100 dots).
  EXPECT_EQ(pixel(120, 110), 0xFF0000u);
  EXPECT_EQ(pixel(180, 110), 0x00FF00u);
  EXPECT_EQ(pixel(120, 140), 0x0000FFu);
  EXPECT_EQ(pixel(180, 140), 0x000000u);
  EXPECT_EQ(pixel(95, 110), 0xFFFFFFu) << "nothing left of the field";
  EXPECT_EQ(pixel(205, 140), 0xFFFFFFu) << "nothing right of the field";
  EXPECT_EQ(pixel(150, 155), 0xFFFFFFu) << "nothing below the field";
  cairo_surface_destroy(png);
}

TEST(TempCopies, NamesTiffTestAndExclusiveClaims) {
  EXPECT_TRUE(IsTiffName("PHOTO.TIF"));
  EXPECT_TRUE(IsTiffName("scan.Tiff"));
  EXPECT_FALSE(IsTiffName("scan.tif.bak"));
  EXPECT_FALSE(IsTiffName("tif"));
  EXPECT_TRUE(IsTiffName(std::string(252, 'a') + ".tif"));
  EXPECT_FALSE(IsTiffName(std::string(253, 'a') + ".tif"));
  EXPECT_EQ(LastNamePart("C:\\data\\a.bmp"), "a.bmp");
  EXPECT_EQ(LastNamePart("D:a.bmp"), "a.bmp");
  EXPECT_EQ(LastNamePart("plain.bmp"), "plain.bmp");
  EXPECT_EQ(LastNamePart("dir\\\x95\\.bmp"), "\x95\\.bmp") << "a trail byte 0x5C is no separator";
  EXPECT_EQ(JoinPath("/d/", "x"), "/d/x");

  const tfs::path dir = tfs::temp_directory_path() / ("fmtmp_" + std::to_string(::getpid()));
  tfs::create_directories(dir);
  WriteBytes(dir / "$FMKTMP$.001", std::string());
  WriteBytes(dir / "$FMKTMP$.002", std::string());
  auto copy = ClaimTempCopy(dir.string());
  ASSERT_TRUE(copy.has_value());
  EXPECT_EQ(copy->number, 3);
  EXPECT_EQ(tfs::path(copy->path).filename(), "$FMKTMP$.003");
  EXPECT_EQ(tfs::file_size(copy->path), 0u);
  EXPECT_EQ(ClaimTempCopy(dir.string())->number, 4);
  EXPECT_FALSE(ClaimTempCopy((dir / "$FMKTMP$.001").string()).has_value()) << "not a directory";
  tfs::remove_all(dir);
  // No temporary directory: the system's temporary folder, never the root.
  ::setenv("TMPDIR", "/var/tmp", 1);
  EXPECT_EQ(TempCopyPath("", 7), "/var/tmp/$FMKTMP$.007");
  ::unsetenv("TMPDIR");
  EXPECT_EQ(TempCopyPath("", 12), "/tmp/$FMKTMP$.012");
}

TEST(DrawBitMap, FileSearchOffsetsAndTargetSizes) {
  TestPrinters scratch("drawbitmap");
  const tfs::path root = scratch.Root();
  const auto bmp = Bitmap24(4, 2, [](int, int) { return 0x123456u; });
  std::string container(5000, 'x');
  container.append(bmp.begin(), bmp.end());
  WriteBytes(root / "img" / "inside.dat", container);
  WriteBytes(root / "img" / "b.bmp", bmp);
  fmdraw::device::TraceDevice trace({}, nullptr);
  const std::string inside = (root / "img" / "inside.dat").string();
  const std::string plain = (root / "img" / "b.bmp").string();
  DrawBitmapRequest r;
  r.fileName = inside;
  r.fileOffset = 5000;
  r.width = 40;
  r.height = 20;
  EXPECT_EQ(DrawBitMap(&trace, r), 0);
  r.fileOffset = 0;
  EXPECT_LT(DrawBitMap(&trace, r), 0) << "no bitmap at the start of the file";
  r.fileOffset = 100000;
  EXPECT_EQ(DrawBitMap(&trace, r), -11);
  r.fileOffset = 0;
  r.fileName = "";
  EXPECT_EQ(DrawBitMap(&trace, r), kFileNotFound);
  // A directory that does not exist: the bare name through the search path.
  ::setenv("FMDRAW_PATH", (root / "img").c_str(), 1);
  r.fileName = "Q:\\gone\\b.bmp";
  EXPECT_EQ(DrawBitMap(&trace, r), 0);
  r.fileName = "\\b.bmp";  // a separator before position 2 counts as none
  EXPECT_EQ(DrawBitMap(&trace, r), kFileNotFound);
  // The second byte of "表" (0x95 0x5C) is no separator: the bare name is "表.bmp".
  std::filesystem::copy_file(plain, root / "img" / "表.bmp");
  r.fileName = "Q:\\gone\\\x95\\.bmp";
  EXPECT_EQ(DrawBitMap(&trace, r), 0);
  ::unsetenv("FMDRAW_PATH");
  r.fileName = plain;
  EXPECT_EQ(DrawBitMap(nullptr, r), kStretchFailed) << "no device to stretch onto";
  EXPECT_EQ(trace.State().bkMode, fmdraw::device::BkMode::kTransparent);
  EXPECT_EQ(trace.State().bkColor, fmdraw::device::kWhite);

  int32_t w = 0, h = 0;
  DrawBitmapRequest big;
  big.imageResolution = 1;
  big.deviceResolution = 1200;
  big.magnification = 1000;
  ASSERT_FALSE(TargetSize(2000000, 1, big, w, h)) << "beyond 32 bits";
  ASSERT_TRUE(TargetSize(100, 50, big, w, h));
  EXPECT_EQ(w, 100 * 1200 * 1000 / 1 / 100);
  DrawBitmapRequest stretch;
  stretch.magnification = 150;
  stretch.width = 101;
  stretch.height = 33;
  ASSERT_TRUE(TargetSize(7, 7, stretch, w, h));
  EXPECT_EQ(w, 151);
  EXPECT_EQ(h, 49);
}

}  // namespace
}  // namespace fd::image
