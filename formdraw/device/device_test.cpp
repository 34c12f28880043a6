// The drawing device: the trace line format, pixels of the image backend, fonts in PDF
// output (checked with pdffonts and pdftotext), and document delivery.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "formdraw/device/cairo_device.h"
#include "formdraw/device/file_sink.h"
#include "formdraw/device/font_engine.h"
#include "formdraw/device/trace_device.h"
#include "platform/codepage.h"

namespace fs = std::filesystem;

namespace fmdraw::device {
namespace {

std::string RunCommand(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
    ::pclose(p);
  }
  return out;
}

DeviceCaps Caps(int w, int h, int dpi = 300) {
  DeviceCaps caps;
  caps.dpiX = caps.dpiY = dpi;
  caps.pageWidth = w;
  caps.pageHeight = h;
  return caps;
}

Font Mincho(int height) {
  Font f;
  f.height = height;
  f.width = height / 2;
  f.pitchAndFamily = 0x11;
  f.face = platform::Utf8ToCp932("ＭＳ 明朝");
  return f;
}

class OutputFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("fmdevice_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::vector<fs::path> Files() {
    std::vector<fs::path> files;
    for (auto& e : fs::directory_iterator(dir_)) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
  }
  fs::path dir_;
};

TEST(TraceDevice, OneLinePerCall) {
  TraceDevice dev(Caps(100, 200), nullptr);
  dev.StartDoc(platform::Utf8ToCp932("日報"));
  dev.StartPage();
  dev.SelectPen({kPenDot, 1, 0x0000FF});
  Brush hatch;
  hatch.kind = BrushKind::kHatch;
  hatch.hatch = 4;
  dev.SelectBrush(hatch);
  dev.SetBkMode(BkMode::kTransparent);
  dev.MoveTo(1, 2);
  dev.LineTo(3, 4);
  dev.Rectangle({1, 2, 3, 4});
  dev.RoundRect({1, 2, 3, 4}, 5, 6);
  dev.Ellipse({1, 2, 3, 4});
  dev.Pie({0, 0, 10, 10}, {10, 5}, {5, 0});
  Point pts[] = {{0, 0}, {5, 0}, {5, 5}};
  dev.Polygon(pts);
  dev.TextOut(7, 8, "a\"b");
  dev.SetClipRect({0, 0, 50, 60});
  dev.ClearClip();
  // Bitmaps without pixels, or with fewer than their size needs, are refused unseen.
  EXPECT_FALSE(dev.StretchBitmap({0, 2, {}}, {0, 0, 4, 4}));
  EXPECT_FALSE(dev.StretchBitmap({2, 0, {}}, {0, 0, 4, 4}));
  EXPECT_FALSE(dev.StretchBitmap({2, 2, {0, 0, 0}}, {0, 0, 4, 4}));
  dev.EndPage();
  dev.EndDoc();
  std::vector<std::string> expected = {
      "StartDoc \"日報\" dpi=300 page=100x200",
      "StartPage",
      "SelectPen style=2 width=1 color=0000FF",
      "SelectBrush hatch=4 color=000000",
      "SetBkMode transparent",
      "MoveTo 1 2",
      "LineTo 3 4",
      "Rectangle 1 2 3 4",
      "RoundRect 1 2 3 4 5 6",
      "Ellipse 1 2 3 4",
      "Pie 0 0 10 10 10 5 5 0",
      "Polygon 3 0,0 5,0 5,5",
      "TextRun 1 7,8 \"a\\\"b\"",
      "SetClipRect 0 0 50 60",
      "ClearClip",
      "EndPage",
      "EndDoc",
  };
  EXPECT_EQ(dev.Lines(), expected);
}

TEST(FontEngine, AliasesReachIpaFontsOnly) {
  EXPECT_NE(FontEngine::ResolvedFile("ＭＳ 明朝", false).find("ipam.ttf"), std::string::npos);
  EXPECT_NE(FontEngine::ResolvedFile("ＭＳ ゴシック", false).find("ipag.ttf"), std::string::npos);
  EXPECT_NE(FontEngine::ResolvedFile("ＭＳ Ｐゴシック", false).find("ipagp.ttf"), std::string::npos);
  // A generic family is not captured by the aliases.
  EXPECT_EQ(FontEngine::ResolvedFile("monospace", false).find("ipam.ttf"), std::string::npos);
  FontEngine engine;
  Size full = engine.Measure(Mincho(100), platform::Utf8ToCp932("日本"));
  Size half = engine.Measure(Mincho(100), "ab");
  EXPECT_NEAR(full.cx, 200, 2) << "full-width characters advance the cell height";
  EXPECT_NEAR(half.cx, 100, 2) << "half-width characters advance the cell width";
  EXPECT_NEAR(full.cy, 100, 1);
}

uint32_t PixelAt(cairo_surface_t* s, int x, int y) {
  cairo_surface_flush(s);
  auto* row = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s));
  return row[x] & 0xFFFFFF;
}

TEST(CairoImage, FillsFollowBrushAndEdgeRules) {
  CairoDevice dev(CairoDevice::Kind::kImage, Caps(100, 100, 96), nullptr);
  Brush red;
  red.color = 0x0000FF;  // 0x00BBGGRR: red
  dev.SelectBrush(red);
  dev.SelectPen({kPenNull, 1, 0});
  ASSERT_TRUE(dev.Rectangle({10, 10, 20, 20}));
  EXPECT_EQ(PixelAt(dev.Image(), 15, 15), 0xFF0000u);
  EXPECT_EQ(PixelAt(dev.Image(), 25, 15), 0xFFFFFFu);
  Brush pattern11;
  pattern11.kind = BrushKind::kPattern;
  pattern11.bits.fill(0xFF);
  pattern11.color = 0;
  pattern11.background = 0x00FF00;  // green: 1 bits take the background colour
  dev.SelectBrush(pattern11);
  ASSERT_TRUE(dev.Rectangle({30, 30, 50, 50}));
  EXPECT_EQ(PixelAt(dev.Image(), 40, 40), 0x00FF00u);
  dev.SelectPen({kPenSolid, 1, 0});
  Brush hollow;
  hollow.kind = BrushKind::kHollow;
  dev.SelectBrush(hollow);
  ASSERT_TRUE(dev.Rectangle({60, 60, 80, 80}));
  EXPECT_EQ(PixelAt(dev.Image(), 60, 70), 0x000000u) << "left edge drawn";
  EXPECT_EQ(PixelAt(dev.Image(), 70, 70), 0xFFFFFFu) << "hollow inside";
  EXPECT_EQ(PixelAt(dev.Image(), 80, 70), 0xFFFFFFu) << "right edge excluded";
}

// Each hatch index paints its own lines, one dot wide, in every 8 x 8 cell of the page.
// A page is written as a grey picture while it has no colour: one pixel whose red, green
// and blue differ makes it a colour picture, and that pixel keeps its colour.
TEST(CairoImage, PngIsGreyOnlyWithoutColour) {
  const fs::path png = fs::temp_directory_path() / ("fmdevice_png_" + std::to_string(::getpid()) + ".png");
  CairoDevice dev(CairoDevice::Kind::kImage, Caps(40, 40, 96), nullptr);
  dev.SelectPen({kPenNull, 1, 0});
  Brush grey;
  grey.color = 0x808080;
  dev.SelectBrush(grey);
  ASSERT_TRUE(dev.Rectangle({0, 0, 20, 20}));
  // The PNG colour type, byte 25 of the file: 0 grey, 2 red-green-blue.
  const auto colourType = [&] {
    std::ifstream in(png, std::ios::binary);
    std::string head(26, '\0');
    in.read(head.data(), 26);
    return static_cast<int>(head[25]);
  };
  ASSERT_TRUE(dev.SaveImage(png.string()));
  EXPECT_EQ(colourType(), 0);
  for (Color c : {Color{0x00FF00FF}, Color{0x000000FF}}) {  // magenta (red = blue), red
    Brush coloured;
    coloured.color = c;
    dev.SelectBrush(coloured);
    ASSERT_TRUE(dev.Rectangle({25, 25, 35, 35}));
    ASSERT_TRUE(dev.SaveImage(png.string()));
    EXPECT_EQ(colourType(), 2) << std::hex << c;
    cairo_surface_t* back = cairo_image_surface_create_from_png(png.c_str());
    EXPECT_EQ(PixelAt(back, 30, 30), PixelAt(dev.Image(), 30, 30));
    cairo_surface_destroy(back);
  }
  fs::remove(png);
}

TEST(CairoImage, HatchesDrawTheirLines) {
  struct Row {
    int hatch;
    int inked;                                        // dots of one 8 x 8 cell
    std::pair<int, int> on, off;                      // a dot on a line and one between
  };
  const Row rows[] = {
      {0, 8, {1, 4}, {1, 3}},   // horizontal
      {1, 8, {4, 1}, {3, 1}},   // vertical
      {2, 8, {1, 1}, {6, 1}},   // top left to bottom right
      {3, 8, {6, 1}, {1, 1}},   // bottom left to top right
      {4, 15, {4, 6}, {3, 6}},  // cross
      {5, 16, {3, 4}, {1, 3}},  // diagonal cross
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.hatch);
    CairoDevice dev(CairoDevice::Kind::kImage, Caps(32, 32, 96), nullptr);
    Brush hatch;
    hatch.kind = BrushKind::kHatch;
    hatch.hatch = r.hatch;
    dev.SelectBrush(hatch);
    dev.SelectPen({kPenNull, 1, 0});
    ASSERT_TRUE(dev.Rectangle({0, 0, 32, 32}));
    int inked = 0;
    for (int y = 8; y < 16; ++y)
      for (int x = 8; x < 16; ++x) inked += PixelAt(dev.Image(), x, y) == 0x000000u;
    EXPECT_EQ(inked, r.inked);
    EXPECT_EQ(PixelAt(dev.Image(), 8 + r.on.first, 8 + r.on.second), 0x000000u);
    EXPECT_EQ(PixelAt(dev.Image(), 8 + r.off.first, 8 + r.off.second), 0xFFFFFFu);
  }
}

// A rounded rectangle's corners follow quarter ellipses: cut off at the very corner,
// filled inside the curve (and not merely inside a straight cut across it).
TEST(CairoImage, RoundedCornersAreCurved) {
  CairoDevice dev(CairoDevice::Kind::kImage, Caps(100, 100, 96), nullptr);
  Brush red;
  red.color = 0x0000FF;
  dev.SelectBrush(red);
  dev.SelectPen({kPenNull, 1, 0});
  ASSERT_TRUE(dev.RoundRect({10, 10, 91, 91}, 40, 40));
  EXPECT_EQ(PixelAt(dev.Image(), 50, 50), 0xFF0000u);
  for (const auto& [x, y] : {std::pair{18, 18}, std::pair{82, 18}, std::pair{18, 82}, std::pair{82, 82}})
    EXPECT_EQ(PixelAt(dev.Image(), x, y), 0xFF0000u) << x << "," << y << " inside the curve";
  for (const auto& [x, y] : {std::pair{12, 12}, std::pair{88, 12}, std::pair{12, 88}, std::pair{88, 88}})
    EXPECT_EQ(PixelAt(dev.Image(), x, y), 0xFFFFFFu) << x << "," << y << " the corner cut off";
}

// The glyphs fill their cell: a full-width character of a 100-dot cell is inked over
// most of those 100 dots, in both directions (fonts measured with rounded metrics came
// out half as tall as their cell).
TEST(CairoImage, TextFillsItsCellHeight) {
  CairoDevice dev(CairoDevice::Kind::kImage, Caps(300, 200, 300), nullptr);
  ASSERT_TRUE(dev.SelectFont(Mincho(100)));
  ASSERT_TRUE(dev.TextOut(20, 20, platform::Utf8ToCp932("田")));
  int top = 200, bottom = -1, left = 300, right = -1;
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 300; ++x) {
      if (PixelAt(dev.Image(), x, y) == 0xFFFFFFu) continue;
      top = std::min(top, y), bottom = std::max(bottom, y);
      left = std::min(left, x), right = std::max(right, x);
    }
  }
  ASSERT_GE(bottom, top) << "nothing drawn";
  EXPECT_GE(bottom - top + 1, 70);
  EXPECT_LE(bottom, 120) << "inside the cell";
  EXPECT_GE(right - left + 1, 70);
}

// A font that differs from the one before only in its height (same face, same width) is
// a new font for the text after it.
TEST(CairoImage, AFontOfAnotherHeightOnlyIsUsed) {
  CairoDevice dev(CairoDevice::Kind::kImage, Caps(300, 200, 300), nullptr);
  Font small = Mincho(50), tall = Mincho(100);
  tall.width = small.width;
  ASSERT_TRUE(dev.SelectFont(small));
  ASSERT_TRUE(dev.TextOut(20, 20, platform::Utf8ToCp932("田")));
  ASSERT_TRUE(dev.SelectFont(tall));
  ASSERT_TRUE(dev.TextOut(150, 20, platform::Utf8ToCp932("田")));
  // The inked height of what was drawn right of `from`.
  const auto inked = [&](int from) {
    int top = 200, bottom = -1;
    for (int y = 0; y < 200; ++y)
      for (int x = from; x < from + 130; ++x)
        if (PixelAt(dev.Image(), x, y) != 0xFFFFFFu) top = std::min(top, y), bottom = std::max(bottom, y);
    return bottom - top + 1;
  };
  EXPECT_LT(inked(0), 50);
  EXPECT_GE(inked(140), 70);
}

TEST_F(OutputFolder, PdfEmbedsIpaFontsAndKeepsText) {
  CairoDevice dev(CairoDevice::Kind::kPdf, Caps(2480, 3508), std::make_unique<FolderOutput>(dir_.string()));
  ASSERT_TRUE(dev.StartDoc("fonts"));
  ASSERT_TRUE(dev.StartPage());
  dev.SetBkMode(BkMode::kTransparent);
  dev.SelectFont(Mincho(100));
  EXPECT_TRUE(dev.TextOut(200, 200, platform::Utf8ToCp932("日報 明朝")));
  Font gothic = Mincho(100);
  gothic.face = platform::Utf8ToCp932("ＭＳ ゴシック");
  dev.SelectFont(gothic);
  EXPECT_TRUE(dev.TextOut(200, 400, platform::Utf8ToCp932("月報")));
  // Synthesised bold (the IPA fonts have no bold face) is embedded as a converted font.
  gothic.weight = 700;
  dev.SelectFont(gothic);
  EXPECT_TRUE(dev.TextOut(200, 600, platform::Utf8ToCp932("太字")));
  EXPECT_EQ(dev.EndPage(), PageError::kNone);
  ASSERT_TRUE(dev.EndDoc());
  auto files = Files();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].filename(), "fonts_0001.pdf");
  std::string fonts = RunCommand("pdffonts '" + files[0].string() + "'");
  EXPECT_NE(fonts.find("IPAMincho"), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("IPAGothic"), std::string::npos) << fonts;
  std::string text = RunCommand("pdftotext '" + files[0].string() + "' -");
  for (const char* word : {"日報", "明朝", "月報", "太字"})
    EXPECT_NE(text.find(word), std::string::npos) << text;
  std::string info = RunCommand("pdfinfo '" + files[0].string() + "'");
  EXPECT_NE(info.find("2000"), std::string::npos) << info;
}

TEST_F(OutputFolder, SameDrawingGivesTheSameBytes) {
  for (int i = 0; i < 2; ++i) {
    CairoDevice dev(CairoDevice::Kind::kPdf, Caps(1000, 1000), std::make_unique<FolderOutput>(dir_.string()));
    ASSERT_TRUE(dev.StartDoc("same"));
    dev.StartPage();
    dev.SelectFont(Mincho(80));
    dev.TextOut(10, 10, platform::Utf8ToCp932("日報"));
    dev.Ellipse({100, 100, 400, 300});
    dev.EndPage();
    ASSERT_TRUE(dev.EndDoc());
  }
  auto files = Files();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(RunCommand("cmp -s '" + files[0].string() + "' '" + files[1].string() + "' && echo same"), "same\n");
}

TEST_F(OutputFolder, AbortDeliversNothingAndNamesNeverCollide) {
  {
    CairoDevice dev(CairoDevice::Kind::kPdf, Caps(100, 100), std::make_unique<FolderOutput>(dir_.string()));
    ASSERT_TRUE(dev.StartDoc("x"));
    dev.StartPage();
    dev.EndPage();
    dev.AbortDoc();
    EXPECT_TRUE(Files().empty());
    // The device prints again after an abort, with nothing of the abandoned document.
    ASSERT_TRUE(dev.StartDoc("y"));
    dev.StartPage();
    EXPECT_EQ(dev.EndPage(), PageError::kNone);
    ASSERT_TRUE(dev.EndDoc());
  }
  ASSERT_EQ(Files().size(), 1u);
  EXPECT_EQ(Files()[0].filename(), "y_0001.pdf");
  EXPECT_EQ(RunCommand("pdfinfo '" + Files()[0].string() + "' | grep '^Pages:' | tr -s ' '"), "Pages: 1\n");
  fs::remove(Files()[0]);
  std::FILE* taken = std::fopen((dir_ / "x_0001.png").c_str(), "w");
  std::fclose(taken);
  CairoDevice png(CairoDevice::Kind::kPng, Caps(50, 50), std::make_unique<FolderOutput>(dir_.string()));
  ASSERT_TRUE(png.StartDoc("x"));
  for (int i = 0; i < 2; ++i) {
    png.StartPage();
    EXPECT_EQ(png.EndPage(), PageError::kNone);
  }
  ASSERT_TRUE(png.EndDoc());
  auto files = Files();
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[1].filename(), "x_0002.png");
  EXPECT_EQ(files[2].filename(), "x_0003.png");
  // Every character a file name on a shared folder may not hold becomes '_'.
  EXPECT_EQ(DocumentStem("a/b\\c:d*e?f\"g<h>i|j\x01k\x7F."), "a_b_c_d_e_f_g_h_i_j_k_.");
  EXPECT_EQ(DocumentStem(""), "document");
  // Long names keep their first 80 bytes, cut before a character that would not fit whole.
  std::string days;
  for (int i = 0; i < 30; ++i) days += "日";
  EXPECT_EQ(DocumentStem(platform::Utf8ToCp932(days)), days.substr(0, 78));
  EXPECT_EQ(DocumentStem(std::string(100, 'a')), std::string(80, 'a'));
  EXPECT_EQ(DocumentStem(".."), "document..");
}

// A process killed while writing a document leaves its temporary file; the next document
// begun in the folder removes it, but not a file another output is still writing, nor
// one just made (not yet locked by its writer), nor a file of another name.
TEST_F(OutputFolder, NextDocumentRemovesWhatAKilledWriterLeft) {
  const pid_t child = ::fork();
  if (child == 0) {
    FolderOutput killed(dir_.string());
    killed.NewFile(".pdf");
    ::raise(SIGKILL);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_EQ(Files().size(), 1u);
  const fs::path abandoned = Files()[0];
  FolderOutput writing(dir_.string());
  const fs::path held = writing.NewFile(".pdf");
  const fs::path other = dir_ / ".fmdraw-notes.txt";
  std::fclose(std::fopen(other.c_str(), "w"));
  const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(1);
  for (const auto& f : {abandoned, held, other}) fs::last_write_time(f, old);
  const fs::path fresh = dir_ / ".fmdraw-Fresh1";
  std::fclose(std::fopen(fresh.c_str(), "w"));

  FolderOutput next(dir_.string());
  const fs::path mine = next.NewFile(".pdf");
  EXPECT_FALSE(fs::exists(abandoned));
  for (const auto& f : {held, other, fresh, mine}) EXPECT_TRUE(fs::exists(f)) << f;
  next.Abort();
  writing.Abort();
  EXPECT_FALSE(fs::exists(held));
}

// The document reaches the file whole and in order however Cairo cuts it into pieces:
// many small ones, one larger than the sink's buffer, and a last one left in the buffer.
TEST_F(OutputFolder, FileSinkKeepsEveryPieceInOrder) {
  const fs::path path = dir_ / "doc.pdf";
  std::ofstream(path).put('x');  // the caller makes the file; what it held goes
  std::string expected;
  {
    FileSink sink(path.string());
    ASSERT_TRUE(sink.Ok());
    auto put = [&](const std::string& piece) {
      expected += piece;
      ASSERT_EQ(FileSink::Write(&sink, reinterpret_cast<const unsigned char*>(piece.data()),
                                static_cast<unsigned int>(piece.size())),
                CAIRO_STATUS_SUCCESS);
    };
    for (int i = 0; i < 20000; ++i) put(std::to_string(i) + " ");
    put(std::string(200000, 'L'));
    put("%%EOF");
    ASSERT_TRUE(sink.Finish());
  }
  std::ifstream in(path, std::ios::binary);
  std::stringstream got;
  got << in.rdbuf();
  EXPECT_EQ(got.str(), expected);
}

// A device that takes nothing (a full disk): a short document may not fail until it is
// finished, a long one fails while it is written; neither is ever reported as written.
TEST(FileSink, FullDiskIsNeverReportedAsWritten) {
  FileSink sink("/dev/full");
  ASSERT_TRUE(sink.Ok());
  const unsigned char piece[] = "q 1 0 0 1 0 0 cm";
  FileSink::Write(&sink, piece, sizeof piece);
  EXPECT_FALSE(sink.Finish());

  FileSink big("/dev/full");
  const std::string block(300000, 'B');
  EXPECT_EQ(FileSink::Write(&big, reinterpret_cast<const unsigned char*>(block.data()),
                            static_cast<unsigned int>(block.size())),
            CAIRO_STATUS_WRITE_ERROR);
  EXPECT_FALSE(big.Ok());
  EXPECT_FALSE(big.Finish());
}

}  // namespace
}  // namespace fmdraw::device
