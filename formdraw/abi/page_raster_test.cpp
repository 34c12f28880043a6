// A page with every way text is placed (static texts of both built-in faces in each
// alignment, squeezed, vertical, rotated, bold and coloured; numeric and flowed data
// fields; free text in every direction and alignment; measured faces, one call and
// spread), printed on a PNG printer and on a PDF printer, and compared pixel by pixel
// with reference rasters of the same page (testdata/page_raster_*.png); the PDF's text
// layer gives each text whole.
//
// Bound: a pixel may differ from the reference only where glyphs meet or overlap (the
// squeezed and spread texts), where coverage from two glyphs adds up in a slightly
// different way. So: no pixel differs by more than 8 grey levels (of 255) unless it is
// within one pixel of a partly covered pixel of the reference (a glyph edge), and at most
// one pixel in 20,000 (about a hundred on this page) differs by more than 8 levels. A
// glyph one pixel off its place moves more than that. (Measured: none differ at all.)
//
// TB_UPDATE_GOLDEN=1 rewrites the references from the current output; look at them
// before committing. TB_KEEP_RASTERS=DIR keeps each raster there with a picture of the
// differences (red: more than the tolerance, orange: less).
#include <cairo.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "formdraw/abi/trace_session.h"
#include "formdraw/image/test_printers.h"
#include "platform/codepage.h"

namespace fmtest {
namespace {

namespace tp = fmdraw::testing;

constexpr int kDpi = 150;
const std::string kGothic = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";

std::string Cp(const char* utf8) { return platform::Utf8ToCp932(utf8); }

// A static text (twips, font-table index, points, alignment, direction, rotation in tens
// of degrees, bold, italic, colour 0x00BBGGRR).
struct StaticText {
  int x, y, width, height, font, size, alignment, direction;
  std::string text;
  int rotation = 0, bold = 0, italic = 0;
  uint32_t colour = 0;
};

Rec TextRecord(const StaticText& t) {
  return Rec(64).W(0, static_cast<int>(t.text.size())).W(1, t.x).W(2, t.y).W(3, t.width).W(4, t.height)
      .W(5, t.font).B(12, t.size).B(15, t.rotation).B(16, 1).B(19, t.alignment).B(20, t.direction)
      .B(21, t.bold).B(22, t.italic).B(26, 128).I32(60, t.colour).S(28, t.text);
}

// A data field at (x, y) twips, 9 points, right-aligned unless flowed (line order 1).
Rec Field(const std::string& name, const std::string& format, int x, int y, int width, int height,
          int lineOrder = 0, int charSpacing = 128) {
  return Rec(92).I16(0, static_cast<int>(format.size())).W(2, x).W(3, y).W(4, width).W(5, height)
      .W(6, lineOrder ? 1 : 0).B(21, 9).B(28, lineOrder ? 1 : 2).B(29, 1).B(33, lineOrder).B(34, 128)
      .B(35, charSpacing).S(36, format).S(68, name);
}

FormBuilder PageForm() {
  FormBuilder form;
  form.lines.push_back("401," + kGothic + ",0,17,128");
  const std::vector<StaticText> texts = {
      {720, 720, 4000, 300, 0, 12, 1, 1, Cp("日報　見出し ABC 123")},
      {720, 1080, 4000, 300, 1, 12, 2, 1, Cp("右寄せ Gothic 456")},
      {720, 1440, 4000, 300, 0, 12, 3, 1, Cp("中央 centre")},
      {720, 1800, 4000, 300, 1, 12, 4, 1, Cp("均等割付")},
      {720, 2160, 1200, 300, 0, 12, 1, 1, Cp("詰めて書く長い見出し")},   // squeezed
      {720, 2520, 4000, 300, 1, 11, 1, 1, Cp("太字と斜体"), 0, 1, 1},
      {720, 2880, 4000, 300, 0, 11, 1, 1, Cp("赤い文字 Red"), 0, 0, 0, 0x0000FF},
      {5400, 720, 300, 3000, 0, 12, 1, 2, Cp("縦書きの見出し")},           // vertical
      {6200, 720, 300, 3000, 1, 12, 3, 4, Cp("逆順縦")},                  // vertical, reversed
      {7000, 3000, 3000, 300, 0, 12, 1, 1, Cp("回転した文字"), 3},       // 30 degrees
      {720, 3300, 4000, 300, 1, 12, 1, 3, Cp("逆順の文字 321")},          // reversed
  };
  for (const auto& t : texts) form.Add(3, TextRecord(t));
  for (int i = 0; i < 24; ++i)
    form.Add(6, Field("N" + std::to_string(i), "ZZZ,ZZ9.99", 720 + (i % 4) * 1500, 4000 + (i / 4) * 300,
                      1400, 260), false);
  form.Add(6, Field("NOTE", "", 720, 6000, 3000, 1500, 1), false);
  form.Add(6, Field("WIDE", "", 4000, 6000, 3000, 1500, 1, 131), false);  // 3 points apart
  return form;
}

void PrintPage(int32_t* s) {
  ASSERT_EQ(FmPrintForm(nullptr, s), 0);
  for (int i = 0; i < 24; ++i) {
    const std::string value = std::to_string(1234567 + 4321 * i).insert(5, ".");
    ASSERT_EQ(FmPrintDataField(("N" + std::to_string(i)).c_str(), value.c_str(), s), 0);
  }
  const std::string note = Cp("流し込みの文章です。行の終わりで折り返し、句読点は行頭に来ない。\r\n二段落目 second paragraph.");
  ASSERT_EQ(FmPrintDataField("NOTE", note.c_str(), s), 0);
  ASSERT_EQ(FmPrintDataField("WIDE", note.c_str(), s), 0);
  ASSERT_EQ(FmSetFont(350, 350, 1, 0, 0, s), 0);
  for (int direction = 1; direction <= 4; ++direction)
    for (int alignment = 1; alignment <= 4; ++alignment) {
      const bool vertical = direction % 2 == 0;
      const int x = vertical ? 9000 + (direction / 2 - 1) * 4000 + (alignment - 1) * 800 : 1500;
      const int y = vertical ? 17000 : 13000 + ((direction - 1) * 4 + alignment - 1) * 450;
      ASSERT_EQ(FmPrintText(x, y, 5000, direction, alignment, Cp("文字A列1").c_str(), s), 0);
    }
  ASSERT_EQ(FmSetLong(10, 0xFF0000, s), 0);  // blue
  ASSERT_EQ(FmSetFont(300, 300, 2, 0, 0, s), 0);
  ASSERT_EQ(FmPrintText(1500, 25000, 1500, 1, 1, Cp("はみ出す長さの文字列です").c_str(), s), 0);
  ASSERT_EQ(FmSetLong(10, 0, s), 0);
  ASSERT_EQ(FmCreateFont(300, 300, 0, 0, 0, 0, 0, 0, "DejaVu Sans", s), 0);
  ASSERT_EQ(FmPrintText(1500, 26000, 8000, 1, 1, "Measured face, one call", s), 0);
  ASSERT_EQ(FmPrintText(1500, 26600, 8000, 1, 4, "Spread", s), 0);
  ASSERT_EQ(FmCreateFont(300, 300, 20, 1, 0, 128, 1, 16, kMincho.c_str(), s), 0);
  ASSERT_EQ(FmPrintText(12000, 27500, 6000, 1, 1, Cp("斜めの文字 20").c_str(), s), 0);
  ASSERT_EQ(FmSetLine(0, 20, s), 0);
  ASSERT_EQ(FmSetPattern(1, s), 0);
  ASSERT_EQ(FmPrintBox(1000, 10500, 19000, 28500, 0, s), 0);
  ASSERT_EQ(FmPrintOut(s), 0);
}

struct Raster {
  int width = 0, height = 0;
  std::vector<uint8_t> grey;  // luminance, 0 black to 255 white
};

Raster ReadPng(const tp::tfs::path& p) {
  Raster r;
  cairo_surface_t* img = cairo_image_surface_create_from_png(p.c_str());
  if (cairo_surface_status(img) == CAIRO_STATUS_SUCCESS) {
    r.width = cairo_image_surface_get_width(img);
    r.height = cairo_image_surface_get_height(img);
    const int stride = cairo_image_surface_get_stride(img);
    const unsigned char* data = cairo_image_surface_get_data(img);
    r.grey.resize(static_cast<std::size_t>(r.width) * r.height);
    for (int y = 0; y < r.height; ++y)
      for (int x = 0; x < r.width; ++x) {
        const uint32_t px = reinterpret_cast<const uint32_t*>(data + y * stride)[x];
        const int red = (px >> 16) & 0xFF, green = (px >> 8) & 0xFF, blue = px & 0xFF;
        r.grey[static_cast<std::size_t>(y) * r.width + x] =
            static_cast<uint8_t>((red * 299 + green * 587 + blue * 114) / 1000);
      }
  }
  cairo_surface_destroy(img);
  return r;
}

struct Difference {
  long differing = 0;      // pixels that differ at all
  long large = 0;          // by more than the tolerance
  long awayFromEdges = 0;  // by more than the tolerance, not next to a glyph edge
  int largest = 0;
};

constexpr int kTolerance = 8;

Difference Compare(const Raster& ref, const Raster& got) {
  Difference d;
  auto at = [&](const Raster& r, int x, int y) { return r.grey[static_cast<std::size_t>(y) * r.width + x]; };
  auto nearEdge = [&](int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const int nx = x + dx, ny = y + dy;
        if (nx < 0 || ny < 0 || nx >= ref.width || ny >= ref.height) continue;
        const int v = at(ref, nx, ny);
        if (v > 0 && v < 255) return true;
      }
    return false;
  };
  for (int y = 0; y < ref.height; ++y)
    for (int x = 0; x < ref.width; ++x) {
      const int delta = std::abs(at(ref, x, y) - at(got, x, y));
      if (delta == 0) continue;
      ++d.differing;
      d.largest = std::max(d.largest, delta);
      if (delta <= kTolerance) continue;
      ++d.large;
      if (!nearEdge(x, y)) ++d.awayFromEdges;
    }
  return d;
}

// The reference faded, with the differing pixels marked.
void WriteDifferences(const Raster& ref, const Raster& got, const tp::tfs::path& file) {
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, ref.width, ref.height);
  unsigned char* data = cairo_image_surface_get_data(img);
  const int stride = cairo_image_surface_get_stride(img);
  for (int y = 0; y < ref.height; ++y)
    for (int x = 0; x < ref.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * ref.width + x;
      const int delta = std::abs(ref.grey[i] - got.grey[i]);
      const uint32_t faded = 192 + ref.grey[i] / 4;
      reinterpret_cast<uint32_t*>(data + y * stride)[x] =
          delta > kTolerance ? 0xFF0000u : delta > 0 ? 0xFF9900u : faded << 16 | faded << 8 | faded;
    }
  cairo_surface_mark_dirty(img);
  cairo_surface_write_to_png(img, file.c_str());
  cairo_surface_destroy(img);
}

void ExpectLikeReference(const tp::tfs::path& actual, const std::string& reference) {
  const char* source = std::getenv("TB_SOURCE_DIR");
  ASSERT_NE(source, nullptr) << "run under ctest (TB_SOURCE_DIR)";
  const tp::tfs::path golden = tp::tfs::path(source) / "formdraw" / "abi" / "testdata" / reference;
  if (const char* update = std::getenv("TB_UPDATE_GOLDEN"); update != nullptr && *update == '1') {
    tp::tfs::create_directories(golden.parent_path());
    tp::tfs::copy_file(actual, golden, tp::tfs::copy_options::overwrite_existing);
  }
  const Raster ref = ReadPng(golden), got = ReadPng(actual);
  ASSERT_GT(ref.width, 0) << golden;
  ASSERT_EQ(got.width, ref.width);
  ASSERT_EQ(got.height, ref.height);
  long ink = 0;
  for (uint8_t v : ref.grey) ink += v < 128;
  ASSERT_GT(ink, 20000) << "the reference page has text on it";
  const Difference d = Compare(ref, got);
  if (const char* keep = std::getenv("TB_KEEP_RASTERS"); keep != nullptr && *keep != '\0') {
    tp::tfs::copy_file(actual, tp::tfs::path(keep) / reference, tp::tfs::copy_options::overwrite_existing);
    WriteDifferences(ref, got, tp::tfs::path(keep) / ("diff_" + reference));
  }
  const long pixels = static_cast<long>(ref.grey.size());
  EXPECT_EQ(d.awayFromEdges, 0) << reference;
  EXPECT_LE(d.large * 20000, pixels) << reference << ": " << d.large << " pixels differ by more than "
                                          << kTolerance << " levels";
  std::printf("%s: %ld of %ld pixels differ (%ld by more than %d levels, largest %d)\n", reference.c_str(),
              d.differing, pixels, d.large, kTolerance, d.largest);
}

// The page printed on a printer of `format` at `dpi`: the one file written.
void PrintOnPrinter(tp::TestPrinters& printers, const std::string& format, int dpi, tp::tfs::path& printed) {
  printers.Install(format, dpi);
  const tp::tfs::path form = printers.Root() / "forms" / "page.fed";
  std::ofstream(form, std::ios::binary) << PageForm().Bytes();
  std::array<int32_t, 4> s{};
  ASSERT_EQ(FmInit(0, 0, 1, 100, 0, 0, 0, 0, 0, 0, form.c_str(), "", s.data()), 0);
  PrintPage(s.data());
  ASSERT_EQ(FmTerm(s.data()), 0);
  const auto files = printers.Outputs();
  ASSERT_EQ(files.size(), 1u);
  printed = files[0];
}

TEST(PageRaster, PngPrinterMatchesTheReference) {
  tp::TestPrinters printers("page_raster_png");
  tp::tfs::path png;
  ASSERT_NO_FATAL_FAILURE(PrintOnPrinter(printers, "png", kDpi, png));
  ExpectLikeReference(png, "page_raster_png.png");
}

TEST(PageRaster, PdfPrinterMatchesTheReference) {
  if (!tp::HaveTool("pdftoppm")) GTEST_SKIP() << "pdftoppm missing";
  tp::TestPrinters printers("page_raster_pdf");
  tp::tfs::path pdf;
  ASSERT_NO_FATAL_FAILURE(PrintOnPrinter(printers, "pdf", 600, pdf));
  // The text layer: characters placed one by one still read as whole texts, one a line,
  // not one character a line (squeezed static text, numeric fields, free text).
  const std::string text = tp::Run("pdftotext '" + pdf.string() + "' - 2>&1");
  std::istringstream lines(text);
  std::vector<std::string> read;
  for (std::string line; std::getline(lines, line);) read.push_back(line);
  for (const char* whole : {"詰めて書く長い見出し", "12,345.67", "文字A列1", "はみ出す長さの文字列です",
                            "Measured face, one call"})
    EXPECT_NE(std::find(read.begin(), read.end(), std::string(whole)), read.end()) << whole << " in\n" << text;
  const tp::tfs::path prefix = printers.Root() / "tmp" / "page";
  tp::Run("pdftoppm -r " + std::to_string(kDpi) + " -gray -png -singlefile '" + pdf.string() + "' '" +
          prefix.string() + "' 2>&1");
  ExpectLikeReference(prefix.string() + ".png", "page_raster_pdf.png");
}

}  // namespace
}  // namespace fmtest
