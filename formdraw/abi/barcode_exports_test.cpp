// Barcodes through the C interface: printed to PDF by a folder printer, rasterised at
// the printer's resolution and read back with an independent reader (zbarimg).
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>

#include "formdraw/fmdraw32.h"
#include "formdraw/image/test_printers.h"

namespace {

using namespace fmdraw::testing;

// One code drawn on its own page; `expected` is what the reader gives back (Code 39
// without its start and stop characters).
struct Code {
  std::string label;
  std::function<int(int32_t*, char*)> draw;
  std::string encoded;
  std::string expected;
};

std::vector<Code> EveryCode() {
  return {
      {"jan13 30mm", [](int32_t* s, char* e) { return FmBarcodeJan13(1, 2000, 2000, 5000, 3500, "490123456789", e, s); },
       "4901234567894", "4901234567894"},
      {"jan13 60mm", [](int32_t* s, char* e) { return FmBarcodeJan13(1, 2000, 2000, 8000, 4000, "4512345678906", e, s); },
       "4512345678906", "4512345678906"},
      {"jan8 22mm", [](int32_t* s, char* e) { return FmBarcodeJan8(1, 2000, 2000, 4200, 3500, "4901234", e, s); },
       "49012347", "49012347"},
      {"jan8 40mm", [](int32_t* s, char* e) { return FmBarcodeJan8(0, 2000, 2000, 6000, 3500, "96385074", e, s); },
       "96385074", "96385074"},
      {"code39 check", [](int32_t* s, char* e) { return FmBarcode39(1, 1, 2000, 2000, 8000, 3500, "TB-2026", e, s); },
       "*TB-20260*", "TB-20260"},
      {"code39 wide rule", [](int32_t* s, char* e) { return FmBarcode39(1, 0, 2000, 2000, 17000, 3500, "A1 $/+%", e, s); },
       "*A1 $/+%*", "A1 $/+%"},
      {"itf odd", [](int32_t* s, char* e) { return FmBarcodeITF(1, 2000, 2000, 6000, 3500, "12345", e, s); },
       "123457", "123457"},
      {"itf even long", [](int32_t* s, char* e) { return FmBarcodeITF(1, 2000, 2000, 12000, 3500, "0123456789012345", e, s); },
       "0123456789012345", "0123456789012345"},
      {"nw7 check", [](int32_t* s, char* e) { return FmBarcodeNW7(1, 1, 2000, 2000, 7000, 3500, "A123B", e, s); },
       "A1239B", "A1239B"},
      {"nw7 plain", [](int32_t* s, char* e) { return FmBarcodeNW7(1, 0, 2000, 2000, 12000, 3500, "C40156-$:/.+D", e, s); },
       "C40156-$:/.+D", "C40156-$:/.+D"},
  };
}

class BarcodeExports : public ::testing::Test {
 protected:
  int Open(const std::string& format, int dpi, const std::array<std::vector<uint8_t>, 12>& arrays = {}) {
    printers_.Install(format, dpi);
    const std::string form = printers_.Form("bars.fed", arrays);
    return FmInit(0, 0, 1, 100, 0, 0, 0, 0, 0, 0, form.c_str(), "", session_.data());
  }
  // Closes the session and gives the decoded text of every page.
  std::vector<std::string> DecodedPages(int dpi, bool rotate = false, CropMm crop = {}) {
    EXPECT_EQ(FmTerm(session_.data()), 0);
    auto outputs = printers_.Outputs();
    if (outputs.size() != 1) return {};
    std::vector<std::string> texts;
    for (const auto& page : RasterisePdf(outputs[0], dpi, crop)) {
      if (rotate) WritePgm(page, RotateCounterClockwise(ReadPgm(page)));
      // TB_KEEP_PAGES names a folder where people can look at the rasterised pages.
      if (const char* keep = std::getenv("TB_KEEP_PAGES"))
        std::filesystem::copy_file(page, std::filesystem::path(keep) / page.filename(),
                                   std::filesystem::copy_options::overwrite_existing);
      texts.push_back(Decode(page));
    }
    return texts;
  }
  std::string Trace() {
    EXPECT_EQ(FmTerm(session_.data()), 0);
    auto outputs = printers_.Outputs();
    return outputs.size() == 1 ? ReadAll(outputs[0]) : std::string();
  }

  TestPrinters printers_{::testing::UnitTest::GetInstance()->current_test_info()->name()};
  std::array<int32_t, 4> session_{};
};

TEST_F(BarcodeExports, EveryCodeReadsBackAtBothResolutions) {
  if (!HaveTool("zbarimg") || !HaveTool("pdftoppm")) GTEST_SKIP() << "zbarimg or pdftoppm missing";
  const auto codes = EveryCode();
  for (int dpi : {300, 600}) {
    SCOPED_TRACE(dpi);
    ASSERT_EQ(Open("pdf", dpi), 0);
    for (const auto& c : codes) {
      char encoded[64] = {};
      ASSERT_EQ(c.draw(session_.data(), encoded), 0) << c.label;
      EXPECT_EQ(std::string(encoded), c.encoded) << c.label;
      ASSERT_EQ(FmPrintOut(session_.data()), 0);
    }
    const auto pages = DecodedPages(dpi, false, CropMm{10, 10, 170, 40});
    ASSERT_EQ(pages.size(), codes.size());
    for (std::size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(pages[i], codes[i].expected) << codes[i].label;
    for (const auto& f : printers_.Outputs()) std::filesystem::remove(f);
  }
}

TEST_F(BarcodeExports, NarrowRectanglesExplicitWidthsAndMinimum) {
  if (!HaveTool("zbarimg") || !HaveTool("pdftoppm")) GTEST_SKIP() << "zbarimg or pdftoppm missing";
  ASSERT_EQ(Open("pdf", 600), 0);
  char encoded[64];
  // 1 mm for a whole Code 39 text: narrow elements of one dot.
  ASSERT_EQ(FmBarcode39(1, 0, 2000, 2000, 2100, 3500, "AB12", encoded, session_.data()), 0);
  ASSERT_EQ(FmPrintOut(session_.data()), 0);
  // Explicit widths replace the computed ones for Code 39 and ITF only.
  ASSERT_EQ(FmSetBarSize(-1, 4, 4, 10, 10, 6, 0, 0, 0, session_.data()), 0);
  ASSERT_EQ(FmSetBarSize(-4, 3, 3, 8, 8, 0, 0, 0, 0, session_.data()), 0);
  ASSERT_EQ(FmBarcode39(1, 0, 2000, 2000, 2100, 3500, "AB12", encoded, session_.data()), 0);
  ASSERT_EQ(FmPrintOut(session_.data()), 0);
  ASSERT_EQ(FmBarcodeITF(1, 2000, 2000, 2100, 3500, "9876", encoded, session_.data()), 0);
  ASSERT_EQ(FmPrintOut(session_.data()), 0);
  // A minimum narrow width of 5 dots with a gain of 1 on an otherwise 1-dot JAN-13.
  const int32_t info[] = {5, 1};
  ASSERT_EQ(FmSetBarInfo(info, session_.data()), 0);
  ASSERT_EQ(FmBarcodeJan13(1, 2000, 2000, 2100, 3500, "490123456789", encoded, session_.data()), 0);
  ASSERT_EQ(FmPrintOut(session_.data()), 0);
  const auto pages = DecodedPages(600, false, CropMm{10, 10, 40, 40});
  ASSERT_EQ(pages.size(), 4u);
  EXPECT_EQ(pages[0], "AB12");
  EXPECT_EQ(pages[1], "AB12");
  EXPECT_EQ(pages[2], "9876");
  EXPECT_EQ(pages[3], "4901234567894");
}

TEST_F(BarcodeExports, TopToBottomCodesReadAfterTurningThePage) {
  if (!HaveTool("zbarimg") || !HaveTool("pdftoppm")) GTEST_SKIP() << "zbarimg or pdftoppm missing";
  ASSERT_EQ(Open("pdf", 300), 0);
  char encoded[64];
  ASSERT_EQ(FmBarcodeNW7(2, 1, 3000, 2000, 4500, 9000, "A0123B", encoded, session_.data()), 0);
  ASSERT_EQ(FmPrintOut(session_.data()), 0);
  ASSERT_EQ(FmBarcodeJan13(2, 3000, 2000, 4500, 6000, "490123456789", encoded, session_.data()), 0);
  ASSERT_EQ(FmPrintOut(session_.data()), 0);
  const auto pages = DecodedPages(300, true, CropMm{20, 10, 40, 90});
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0], "A01239B");
  EXPECT_EQ(pages[1], "4901234567894");
}

TEST_F(BarcodeExports, BarcodeFieldsOfTheForm) {
  if (!HaveTool("zbarimg") || !HaveTool("pdftoppm")) GTEST_SKIP() << "zbarimg or pdftoppm missing";
  std::array<std::vector<uint8_t>, 12> arrays;
  auto add = [&](const std::vector<uint8_t>& r) { arrays[kBarcodeFieldKind].insert(arrays[kBarcodeFieldKind].end(), r.begin(), r.end()); };
  // Twips: 1440 = 1 inch = 25.4 mm.
  add(BarcodeField("code39", 1, 1, 1, 1440, 1440, 7200, 2160, 0x0000FF));
  add(BarcodeField("jan13", 2, 0, 1, 1440, 1440, 4320, 2160));
  add(BarcodeField("jan8", 3, 0, 1, 1440, 1440, 3600, 2160));
  add(BarcodeField("itf", 4, 0, 1, 1440, 1440, 4320, 2160));
  add(BarcodeField("nw7", 5, 1, 2, 1440, 1440, 2160, 5760));
  add(BarcodeField("unknown", 9, 0, 1, 1440, 1440, 4320, 2160));
  ASSERT_EQ(Open("pdf", 300, arrays), 0);
  char encoded[64];
  struct Row { const char* field; const char* text; int rc; const char* encoded; };
  const Row rows[] = {
      {"code39", "FORM-7", 0, "*FORM-72*"},
      {"jan13", "490123456789", 0, "4901234567894"},
      {"jan8", "4901234", 0, "49012347"},
      {"itf", "1234567", 0, "12345670"},
      {"nw7", "A0123B", 0, "A01239B"},
  };
  for (const auto& r : rows) {
    std::fill(std::begin(encoded), std::end(encoded), '\0');
    EXPECT_EQ(FmPrintBarcodeField(r.field, r.text, encoded, session_.data()), r.rc) << r.field;
    EXPECT_EQ(std::string(encoded), r.encoded) << r.field;
    ASSERT_EQ(FmPrintOut(session_.data()), 0);
  }
  // Failure codes are those of the field call; nothing is drawn for them.
  EXPECT_EQ(FmPrintBarcodeField("jan13", "12345", encoded, session_.data()), -5);
  EXPECT_EQ(FmPrintBarcodeField("jan13", "49012345678X", encoded, session_.data()), -4);
  EXPECT_EQ(FmPrintBarcodeField("Jan13", "490123456789", encoded, session_.data()), -3);
  EXPECT_EQ(FmPrintBarcodeField("unknown", "490123456789", encoded, session_.data()), 0);
  ASSERT_EQ(FmPrintOut(session_.data()), 0);
  const auto pages = DecodedPages(300, false, CropMm{15, 15, 120, 95});
  ASSERT_EQ(pages.size(), 6u);
  EXPECT_EQ(pages[0], "FORM-72");
  EXPECT_EQ(pages[1], "4901234567894");
  EXPECT_EQ(pages[2], "49012347");
  EXPECT_EQ(pages[3], "12345670");
  EXPECT_EQ(pages[4], "A01239B");
  EXPECT_EQ(pages[5], "");
}

TEST_F(BarcodeExports, ReturnCodesInTheirOrder) {
  ASSERT_EQ(Open("trace", 300), 0);
  int32_t* s = session_.data();
  char e[64];
  struct Row { const char* label; int got; int expected; };
  const Row rows[] = {
      {"jan13 11 digits", FmBarcodeJan13(1, 0, 0, 3000, 1000, "49012345678", e, s), -2},
      {"jan13 letter", FmBarcodeJan13(1, 0, 0, 3000, 1000, "49012345678A", e, s), -3},
      {"jan8 6 digits", FmBarcodeJan8(1, 0, 0, 3000, 1000, "490123", e, s), -2},
      {"jan8 9 digits", FmBarcodeJan8(1, 0, 0, 3000, 1000, "490123456", e, s), -2},
      {"jan8 letter", FmBarcodeJan8(1, 0, 0, 3000, 1000, "4901234X", e, s), -3},
      {"jan8 long letter", FmBarcodeJan8(1, 0, 0, 3000, 1000, "4901234XYZ", e, s), -2},
      {"code39 star", FmBarcode39(1, 0, 0, 0, 3000, 1000, "AB*C", e, s), -3},
      {"code39 lower", FmBarcode39(1, 0, 0, 0, 3000, 1000, "abc", e, s), -3},
      {"itf 31", FmBarcodeITF(1, 0, 0, 3000, 1000, std::string(31, '1').c_str(), e, s), -2},
      {"itf letter long", FmBarcodeITF(1, 0, 0, 3000, 1000, (std::string(31, '1') + "x").c_str(), e, s), -2},
      {"itf letter", FmBarcodeITF(1, 0, 0, 3000, 1000, "12x4", e, s), -3},
      {"nw7 31", FmBarcodeNW7(1, 0, 0, 0, 3000, 1000, ("A" + std::string(29, '1') + "B").c_str(), e, s), -2},
      {"nw7 char", FmBarcodeNW7(1, 0, 0, 0, 3000, 1000, "A1E2B", e, s), -3},
  };
  for (const auto& r : rows) EXPECT_EQ(r.got, r.expected) << r.label;
  // ITF: 4 digits get no check digit, 30 are accepted.
  ASSERT_EQ(FmBarcodeITF(1, 0, 0, 3000, 1000, "1234", e, s), 0);
  EXPECT_STREQ(e, "1234");
  ASSERT_EQ(FmBarcodeITF(1, 0, 0, 9000, 1000, std::string(30, '7').c_str(), e, s), 0);
  EXPECT_EQ(std::string(e), std::string(30, '7'));
  // A check flag other than 1 adds nothing; JAN-13 with 13 digits is drawn as given.
  ASSERT_EQ(FmBarcode39(1, 2, 0, 0, 3000, 1000, "AB", e, s), 0);
  EXPECT_STREQ(e, "*AB*");
  ASSERT_EQ(FmBarcodeJan13(1, 0, 0, 3000, 1000, "4901234567890", e, s), 0);
  EXPECT_STREQ(e, "4901234567890");
  // Settings calls.
  EXPECT_EQ(FmSetBarcode(3, s), 0);
  EXPECT_EQ(FmSetBarInfo(nullptr, s), -2);
  const std::string trace = Trace();
  EXPECT_EQ(trace.find("Rectangle 0 0 "), trace.find("Rectangle")) << "ITF starts at the left edge";
  // Every call on a closed record fails first.
  const int32_t info[] = {-1, 0};
  EXPECT_EQ(FmSetBarcode(1, s), -1);
  EXPECT_EQ(FmSetBarInfo(info, s), -1);
  EXPECT_EQ(FmSetBarSize(-1, 1, 1, 1, 1, 1, 0, 0, 0, s), -1);
  EXPECT_EQ(FmBarcodeJan13(1, 0, 0, 1, 1, "x", e, s), -1);
  EXPECT_EQ(FmBarcodeJan8(1, 0, 0, 1, 1, "x", e, s), -1);
  EXPECT_EQ(FmBarcode39(1, 0, 0, 0, 1, 1, "x", e, s), -1);
  EXPECT_EQ(FmBarcodeITF(1, 0, 0, 1, 1, "x", e, s), -1);
  EXPECT_EQ(FmBarcodeNW7(1, 0, 0, 0, 1, 1, "x", e, s), -1);
  EXPECT_EQ(FmPrintBarcodeField("f", "x", e, s), -1);
}

}  // namespace
