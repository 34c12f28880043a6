// The form pass and the field calls on a trace printer. Form records are in twips; at
// 300 dpi the pass divides by 14400 / 300 = 48 (1440 twips = 300 dots).
#include "formdraw/abi/trace_session.h"

namespace fmtest {
namespace {

using Lines = std::vector<std::string>;

Rec Line(int x1, int y1, int x2, int y2, int width, uint32_t colour) {
  return Rec(26).W(0, 1).W(2, 0).W(3, width).W(4, x1).W(5, y1).W(6, x2).W(7, y2).W(8, 1).I32(18, colour);
}

Rec Box(int x1, int y1, int x2, int y2, int corner) {
  return Rec(32).W(0, 1).W(3, 1).W(4, 1).W(5, corner).W(6, x1).W(7, y1).W(8, x2).W(9, y2).W(10, 1).W(11, 1);
}

// A simple data field at the origin, 10 points, Mincho, alignment 1, direction 1.
Rec DataField(const std::string& name, const std::string& format, int lineOrder = 0) {
  return Rec(92).I16(0, static_cast<int>(format.size())).W(4, 2880).W(5, 1440).B(21, 10).B(28, 1)
      .B(29, 1).B(33, lineOrder).B(34, 128).B(35, 128).S(36, format).S(68, name);
}

// The pieces of a TextRun line: each piece's x and its quoted text (no escapes in these
// tests).
struct Piece {
  int x;
  std::string text;
};
std::vector<Piece> PiecesOf(const std::string& run) {
  std::vector<Piece> pieces;
  for (std::size_t open = run.find('"'); open != std::string::npos;) {
    const std::size_t close = run.find('"', open + 1);
    const std::size_t point = run.rfind(' ', open - 2) + 1;  // "X,Y" before the quote
    pieces.push_back({std::stoi(run.substr(point)), run.substr(open + 1, close - open - 1)});
    open = run.find('"', close + 1);
  }
  return pieces;
}

// The characters of TextRun lines in order.
std::string Joined(const Lines& runs) {
  std::string s;
  for (const auto& l : runs)
    for (const Piece& p : PiecesOf(l)) s += p.text;
  return s;
}

struct LineRow {
  int dpi, color;
  Lines expected;
};
class FormLines : public TraceSession, public ::testing::WithParamInterface<LineRow> {};

// Pen width 3/300 inch: ((3 * 480 / (14400 / dpi) + 9) / 10 * 100 + 99) / 100 dots;
// a red line is black on a monochrome printer.
TEST_P(FormLines, ScaleWithTheResolution) {
  FormBuilder form;
  form.Add(1, Line(0, 0, 1440, 720, 3, 0x0000FF));
  Open(form, GetParam().dpi, GetParam().color);
  ASSERT_EQ(FmPrintForm(nullptr, S()), 0);
  const Lines lines = Close();
  Lines drawn = Only(lines, "SelectPen style=0 width=");
  drawn.resize(std::min<std::size_t>(drawn.size(), 3));
  drawn.erase(drawn.begin());  // the page's default pen
  for (const auto& l : Only(lines, "LineTo")) drawn.push_back(l);
  EXPECT_EQ(drawn, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pass, FormLines,
    ::testing::Values(LineRow{300, 2, {"SelectPen style=0 width=1 color=000000",
                                       "SelectPen style=0 width=3 color=0000FF", "LineTo 300 150"}},
                      LineRow{600, 2, {"SelectPen style=0 width=2 color=000000",
                                       "SelectPen style=0 width=6 color=0000FF", "LineTo 600 300"}},
                      LineRow{300, 1, {"SelectPen style=0 width=1 color=000000",
                                       "SelectPen style=0 width=3 color=000000", "LineTo 300 150"}}));

// Colour mode 1 follows the printer, 2 is colour and 3 monochrome, whatever the printer.
TEST_F(TraceSession, ColourModeOneFollowsThePrinter) {
  struct Row {
    int printerColor, mode;
    const char* pen;
  };
  const Row rows[] = {{1, 1, "000000"}, {1, 2, "0000FF"}, {2, 1, "0000FF"}, {2, 3, "000000"}};
  for (const Row& r : rows) {
    FormBuilder form;
    form.Add(1, Line(0, 0, 1440, 0, 3, 0x0000FF));
    for (const auto& e : fs::directory_iterator(root_ / "out")) fs::remove(e.path());
    Open(form, 300, r.printerColor);
    ASSERT_EQ(FmSetLong(12, r.mode, S()), 0);
    ASSERT_EQ(FmPrintForm(nullptr, S()), 0);
    const Lines pens = Only(Close(), "SelectPen style=0 width=3");
    ASSERT_EQ(pens.size(), 1u);
    EXPECT_EQ(pens[0], std::string("SelectPen style=0 width=3 color=") + r.pen)
        << "printer " << r.printerColor << ", mode " << r.mode;
  }
}

// The last line starting with `prefix` before the `nth` line starting with `at`.
std::string LastBefore(const Lines& lines, const std::string& at, int nth, const std::string& prefix) {
  std::string last;
  for (const auto& l : lines) {
    if (l.rfind(at, 0) == 0 && nth-- == 0) return last;
    if (l.rfind(prefix, 0) == 0) last = l;
  }
  return "no " + at;
}

// Settings 3 (transparent shapes), 4 (frames), 10 (text colour) and 11 (background
// colour) are put back to 0, 1, black and white once the form is printed: a box drawn
// after FmPrintForm is opaque, framed, black on white.
TEST_F(TraceSession, PrintFormResetsShapeAndColourSettings) {
  Open();
  ASSERT_EQ(FmSetLong(3, 1, S()), 0);
  ASSERT_EQ(FmSetLong(4, 0, S()), 0);
  ASSERT_EQ(FmSetLong(10, 0x0000FF, S()), 0);
  ASSERT_EQ(FmSetLong(11, 0xFF0000, S()), 0);
  ASSERT_EQ(FmSetLine(0, 10, S()), 0);
  ASSERT_EQ(FmSetPattern(0, S()), 0);
  ASSERT_EQ(FmPrintBox(0, 0, 1000, 1000, 0, S()), 0);
  ASSERT_EQ(FmPrintForm(nullptr, S()), 0);
  ASSERT_EQ(FmSetLine(0, 10, S()), 0);
  ASSERT_EQ(FmSetPattern(0, S()), 0);
  ASSERT_EQ(FmPrintBox(0, 0, 1000, 1000, 0, S()), 0);
  const Lines lines = Close();
  struct Expect {
    std::string prefix, before, after;
  };
  const Expect rows[] = {
      {"SetBkMode", "SetBkMode transparent", "SetBkMode opaque"},
      {"SelectPen", "SelectPen style=5 width=1 color=000000", "SelectPen style=0 width=1 color=000000"},
      {"SelectBrush", "SelectBrush solid color=0000FF", "SelectBrush solid color=000000"},
      {"SetBkColor", "SetBkColor FF0000", "SetBkColor FFFFFF"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(LastBefore(lines, "Rectangle", 0, r.prefix), r.before);
    EXPECT_EQ(LastBefore(lines, "Rectangle", 1, r.prefix), r.after);
  }
}

TEST_F(TraceSession, RoundedCornerIsCutToTheBox) {
  FormBuilder form;
  // 720 x 360 twips = 150 x 75 dots; corner kind 3 = 6750 / 48 = 140 dots, cut to 76.
  form.Add(2, Box(720, 360, 0, 0, 3));
  Open(form);
  ASSERT_EQ(FmPrintForm(nullptr, S()), 0);
  EXPECT_EQ(Only(Close(), "RoundRect"), Lines{"RoundRect 0 0 151 76 140 76"});
}

// Ellipse records and the three kinds of arc record (1 an outline, 2 a chord, 3 a pie),
// each with its box and its start and end points.
TEST_F(TraceSession, EllipsesAndArcsOfTheForm) {
  FormBuilder form;
  form.Add(5, Rec(30).W(0, 1).W(3, 1).W(4, 1).W(5, 0).W(6, 0).W(7, 1440).W(8, 720).W(9, 1).W(10, 1));
  for (int shape = 1; shape <= 3; ++shape)
    form.Add(8, Rec(40).W(0, 1).W(3, 1).W(4, 1).W(5, shape).W(6, 0).W(7, 0).W(8, 1440).W(9, 720)
                    .W(10, 1440).W(11, 360).W(12, 0).W(13, 360).W(14, 1).W(15, 1));
  Open(form);
  ASSERT_EQ(FmPrintForm(nullptr, S()), 0);
  const Lines lines = Close();
  EXPECT_EQ(Only(lines, "Ellipse"), Lines{"Ellipse 0 0 301 151"});
  EXPECT_EQ(Only(lines, "Arc"), Lines{"Arc 0 0 301 151 300 75 0 75"});
  EXPECT_EQ(Only(lines, "Chord"), Lines{"Chord 0 0 301 151 300 75 0 75"});
  EXPECT_EQ(Only(lines, "Pie"), Lines{"Pie 0 0 301 151 300 75 0 75"});
}

// A polygon's points run over its record and the ones after it, ten to a record; one
// with fewer than two points, or more points than the records after it hold, is skipped.
TEST_F(TraceSession, PolygonsNeedTwoPointsAndTheRecordsTheyName) {
  auto polygon = [](std::vector<std::pair<int, int>> points, int count) {
    Rec r = Rec(66).W(0, 1).W(3, 1).W(4, 1).W(5, 1).W(6, 1).W(8, count);
    for (std::size_t i = 0; i < points.size(); ++i)
      r.W(13 + static_cast<int>(i), points[i].first).W(23 + static_cast<int>(i), points[i].second);
    return r;
  };
  FormBuilder form;
  form.Add(10, polygon({{0, 0}, {480, 0}, {480, 480}}, 3));
  form.Add(10, polygon({{96, 96}}, 1));
  form.Add(10, polygon({{0, 0}, {48, 0}}, 11));  // its eleventh point would be in a 4th record
  Open(form);
  ASSERT_EQ(FmPrintForm(nullptr, S()), 0);
  EXPECT_EQ(Only(Close(), "Polygon"), Lines{"Polygon 3 0,0 100,0 100,100"});
}

TEST_F(TraceSession, PassBrushesFollowThePattern) {
  FormBuilder form;
  form.Add(2, Box(0, 0, 48, 48, 0).W(4, 0).I32(24, 0x0000FF));
  form.Add(2, Box(0, 0, 48, 48, 0).W(4, 5).I32(24, 0x0000FF));
  form.Add(2, Box(0, 0, 48, 48, 0).W(4, 11).I32(24, 0x0000FF).I32(28, 0x00FF00));
  form.Add(2, Box(0, 0, 48, 48, 0).W(4, 1).W(10, 0));
  Open(form);
  ASSERT_EQ(FmPrintForm(nullptr, S()), 0);
  const Lines lines = Close();
  // The pass's default brush, then one per box; the bitmap brush paints in the text and
  // background colours, the frameless box without outline.
  EXPECT_EQ(Only(lines, "SelectBrush"),
            (Lines{"SelectBrush solid color=000000", "SelectBrush solid color=000000",
                   "SelectBrush solid color=0000FF", "SelectBrush hatch=3 color=0000FF",
                   "SelectBrush pattern=FFFFFFFFFFFFFFFF color=000000 background=00FF00",
                   "SelectBrush hollow", "SelectBrush solid color=000000"}));
  EXPECT_EQ(Only(lines, "SelectPen style=5").size(), 1u);
}

#if __has_include("formdraw/image/image_printer.h")  // the image library is in this tree
// A 2 x 2 24-bit bitmap file.
std::string TinyBitmap() {
  Rec file(70);
  file.S(0, "BM").I32(2, 70).I32(10, 54).I32(14, 40).I32(18, 2).I32(22, 2).I16(26, 1).I16(28, 24).I32(34, 16);
  return std::string(file.b.begin(), file.b.end());
}

TEST_F(TraceSession, PassDrawsStaticImagesInOrder) {
  const std::string bitmap = (root_ / "logo.bmp").string();
  fs::create_directories(root_);
  std::ofstream(bitmap, std::ios::binary) << TinyBitmap();
  FormBuilder form;
  form.Add(1, Line(0, 0, 48, 0, 1, 0));
  form.Add(4, Rec(154).W(0, 1).I32(4, 1440).I32(8, 1440).I32(12, 2880).I32(16, 2160)
                  .W(12, static_cast<int>(bitmap.size())).S(26, bitmap));
  Open(form);
  ASSERT_EQ(FmPrintForm(nullptr, S()), 0);
  const Lines lines = Close();
  const auto image = std::find_if(lines.begin(), lines.end(),
                                  [](const std::string& l) { return l.rfind("StretchBitmap", 0) == 0; });
  ASSERT_NE(image, lines.end()) << ::testing::PrintToString(lines);
  EXPECT_EQ(image->rfind("StretchBitmap 300 300 600 450", 0), 0u) << *image;
  EXPECT_LT(std::find(lines.begin(), lines.end(), "LineTo 10 0"), image);
}

// The image's corners (1440, 1440)-(2880, 2160) twips go through the form's
// magnification and offsets; its size is the 100 percent size (300 x 150 dots at 300 dpi)
// times the magnification.
TEST_F(TraceSession, StaticImagesFollowTheMagnificationAndOffsets) {
  const std::string bitmap = (root_ / "logo.bmp").string();
  fs::create_directories(root_);
  std::ofstream(bitmap, std::ios::binary) << TinyBitmap();
  FormBuilder form;
  form.Add(4, Rec(154).W(0, 1).I32(4, 1440).I32(8, 1440).I32(12, 2880).I32(16, 2160)
                  .W(12, static_cast<int>(bitmap.size())).S(26, bitmap));
  Open(form, 300, 2, 50);
  ASSERT_EQ(FmPrintForm(nullptr, S()), 0);  // 1440 * 50 / 100 twips = 150 dots
  ASSERT_EQ(FmPrintOut(S()), 0);
  ASSERT_EQ(FmSetLong(7, 250, S()), 0);
  ASSERT_EQ(FmSetLong(8, 254, S()), 0);  // 2.54 mm = 30 dots
  ASSERT_EQ(FmSetLong(9, -254, S()), 0);
  ASSERT_EQ(FmPrintForm(nullptr, S()), 0);
  const Lines images = Only(Close(), "StretchBitmap");
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(images[0].rfind("StretchBitmap 150 150 300 225", 0), 0u) << images[0];
  EXPECT_EQ(images[1].rfind("StretchBitmap 780 720 1530 1095", 0), 0u) << images[1];
}
#endif

TEST_F(TraceSession, UnusedEntriesAndUnknownKindsAreSkipped) {
  FormBuilder form;
  form.Add(2, Box(0, 0, 100, 100, 0), false);
  form.Add(0, Rec(6).W(0, 0).W(1, 2).W(2, 0));   // not used
  form.Add(0, Rec(6).W(0, 1).W(1, 11).W(2, 0));  // kind 11
  form.Add(0, Rec(6).W(0, 1).W(1, 2).W(2, 5));   // past the box array
  form.Add(1, Line(0, 0, 48, 0, 1, 0));
  Open(form);
  ASSERT_EQ(FmPrintForm(nullptr, S()), 0);
  const Lines lines = Close();
  EXPECT_TRUE(Only(lines, "Rectangle").empty());
  EXPECT_EQ(Only(lines, "LineTo"), Lines{"LineTo 10 0"});
}

TEST_F(TraceSession, FormWithOnlyFieldsPrintsAnEmptyPage) {
  FormBuilder form;
  form.Add(6, DataField("A", "ZZ9"));
  Open(form);
  ASSERT_EQ(FmPrintForm(nullptr, S()), 0);
  const Lines lines = Close();
  for (const char* drawing : {"TextRun", "LineTo", "Rectangle", "Ellipse", "Polygon"})
    EXPECT_TRUE(Only(lines, drawing).empty()) << drawing;
  EXPECT_EQ(Only(lines, "EndDoc").size(), 1u);
}

TEST_F(TraceSession, StaticTextUsesTheSingleLineEngine) {
  FormBuilder form;
  // 10 points at 300 dpi: 10 * 125 * 1600 / 48 = 41666 thousandths: a 41-dot font.
  form.Add(3, Rec(64).W(0, 2).W(1, 1440).W(2, 0).W(3, 2880).B(12, 10).B(16, 1).B(19, 1).B(20, 1)
                  .S(28, "AB"));
  Open(form);
  ASSERT_EQ(FmPrintForm(nullptr, S()), 0);
  const Lines lines = Close();
  EXPECT_EQ(Only(lines, "TextRun"), (Lines{"TextRun 2 300,0 \"A\" 320,0 \"B\""}));
  EXPECT_EQ(Only(lines, "SelectFont height=41").size(), 1u);
}

// A static text continues over the records after it while their continuation flag
// (byte 18) is 1 and the next record is used (byte 16); a CR LF split over two pieces is
// still one line break, which the single-line engine drops.
TEST_F(TraceSession, StaticTextContinuesOverSeveralRecords) {
  auto piece = [](const std::string& text, int next) {
    return Rec(64).W(0, static_cast<int>(text.size())).W(3, 28000).B(12, 10).B(16, 1).B(18, next)
        .B(19, 1).B(20, 1).S(28, text);
  };
  FormBuilder form;
  form.Add(3, piece("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", 1));  // a full piece of 32 bytes
  form.Add(3, piece("\r", 1), false);
  form.Add(3, piece("\nabc", 1), false);
  form.Add(3, piece("def", 0), false);
  form.Add(3, piece("next", 0), false);  // not continued: never part of the first text
  form.Add(3, piece("XY", 1).W(2, 1440));
  form.Add(3, piece("ZZ", 0).B(16, 0), false);  // unused: the chain ends before it
  Open(form);
  ASSERT_EQ(FmPrintForm(nullptr, S()), 0);
  const Lines texts = Only(Close(), "TextRun");
  EXPECT_EQ(Joined(texts), "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345abcdefXY");
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back(), "TextRun 2 0,300 \"X\" 20,300 \"Y\"") << "the second text starts on its own record's place";
}

// Flowed fields at 300 dpi, 10 points: characters 20 dots wide (the measured cells of the
// 41-dot font), character spacing 1 point (4.166 dots, added after each character), line
// spacing 2 points (lines 12 points = 50 dots apart). The field is 90 dots wide: a fourth
// character with its spacing (96.7) would reach its end, so three a line; a CR LF ends a
// line.
TEST_F(TraceSession, FlowedFieldLinesByTextAndPosition) {
  FormBuilder form;
  // 1440 twips = 300 dots, 720 = 150, 432 = 90.
  form.Add(6, DataField("DOWN", "", 1).W(2, 1440).W(3, 720).W(4, 432).W(5, 1440).B(34, 130).B(35, 129), false);
  // Line order 2: the first line at the bottom of the 150-dot box, the others above it.
  form.Add(6, DataField("UP", "", 2).W(2, 1440).W(3, 2880).W(4, 432).W(5, 720).B(34, 130).B(35, 129), false);
  Open(form);
  ASSERT_EQ(FmPrintDataField("DOWN", "AB\r\nCDEFGH", S()), 0);
  ASSERT_EQ(FmPrintDataField("UP", "AB\r\nCD", S()), 0);
  const Lines texts = Only(Close(), "TextRun");
  EXPECT_EQ(texts, (Lines{"TextRun 1 300,150 \" \"",  // the blank that starts the page and the font
                          "TextRun 2 300,150 \"A\" 324,150 \"B\"",
                          "TextRun 3 300,200 \"C\" 324,200 \"D\" 348,200 \"E\"",
                          "TextRun 3 300,250 \"F\" 324,250 \"G\" 348,250 \"H\"",
                          "TextRun 1 300,600 \" \"",
                          "TextRun 2 300,700 \"A\" 324,700 \"B\"",
                          "TextRun 2 300,650 \"C\" 324,650 \"D\""}));
}

TEST_F(TraceSession, NumericFieldsFormatAndFail) {
  FormBuilder form;
  form.Add(6, DataField("AMOUNT", "Z9.99"), false);
  Open(form);
  EXPECT_EQ(FmPrintDataField("AMOUNT", "-0.00", S()), 0);
  EXPECT_EQ(FmPrintDataField("AMOUNT", "123", S()), -4);
  EXPECT_EQ(FmPrintDataField("AMOUNT", "", S()), 0);
  EXPECT_EQ(FmPrintDataField("OTHER", "1", S()), -3);
  EXPECT_EQ(Only(Close(), "TextRun"),
            Lines{"TextRun 5 0,0 \" \" 20,0 \"0\" 41,0 \".\" 62,0 \"0\" 83,0 \"0\""});
}

// The field's font is the same call again at 200 percent, which keeps the font made at
// 100: its characters keep their spacing (the positions move with the magnification).
TEST_F(TraceSession, FieldTextKeepsTheSpacingOfItsFont) {
  FormBuilder form;
  form.Add(6, DataField("A", "XXX"), false);
  Open(form);
  ASSERT_EQ(FmPrintDataField("A", "abc", S()), 0);
  ASSERT_EQ(FmSetLong(7, 200, S()), 0);
  ASSERT_EQ(FmPrintDataField("A", "abc", S()), 0);
  const Lines lines = Close();
  const Lines texts = Only(lines, "TextRun");
  ASSERT_EQ(texts.size(), 2u);
  const std::vector<Piece> at100 = PiecesOf(texts[0]), at200 = PiecesOf(texts[1]);
  ASSERT_EQ(at100.size(), 3u);
  ASSERT_EQ(at200.size(), 3u);
  EXPECT_EQ(at100[1].x - at100[0].x, at200[1].x - at200[0].x);
  EXPECT_EQ(at100[2].x - at100[1].x, at200[2].x - at200[1].x);
  EXPECT_EQ(Only(lines, "SelectFont").size(), 2u) << "the page's default and the field's";
}

TEST_F(TraceSession, FramedFieldRestoresTheLineSetting) {
  FormBuilder form;
  form.Add(6, DataField("A", "X").B(20, 2), false);
  Open(form);
  ASSERT_EQ(FmSetLine(2, 10, S()), 0);
  ASSERT_EQ(FmPrintDataField("A", "x", S()), 0);
  ASSERT_EQ(FmPrintLine(0, 0, 100, 0, S()), 0);
  const Lines lines = Close();
  EXPECT_EQ(Only(lines, "LineTo").size(), 5u);
  // Frame of 2 dots = 24 (0.01 mm) = 2 dots, then (2 * 300 + 299) / 300 = 2; the dotted
  // pen comes back for the caller's line.
  EXPECT_EQ(Only(lines, "SelectPen").back(), "SelectPen style=2 width=1 color=000000");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "SelectPen style=0 width=2 color=000000"), lines.end());
}

// Underlines follow the text the field printed; a field whose text is empty or refused
// must not underline whatever text was printed before it.
TEST_F(TraceSession, FieldDecorationsOnlyUnderTheirOwnText) {
  FormBuilder form;
  form.Add(6, DataField("CUT", "").B(22, 1), false);                 // cut to nothing
  form.Add(6, DataField("NOALIGN", "X").B(22, 1).B(28, 0), false);   // alignment 0: refused
  form.Add(6, DataField("OK", "X").B(22, 1), false);
  form.Add(9, Rec(92).I16(0, 1).W(4, 100).W(5, 200).W(6, 1).W(7, 1).B(25, 10).B(26, 1).B(32, 0)
                  .S(36, "X").S(68, "LIST"), false);                  // list cell, alignment 0
  Open(form);
  ASSERT_EQ(FmSetLong(5, 1, S()), 0);
  ASSERT_EQ(FmPrintText(0, 0, 1000, 1, 1, "earlier", S()), 0);
  EXPECT_EQ(FmPrintDataField("CUT", "abc", S()), 0);
  EXPECT_EQ(FmPrintDataField("NOALIGN", "a", S()), 0);
  std::vector<uint8_t> cell(34, 0);
  cell[0] = 1;
  cell[2] = 'a';
  EXPECT_EQ(FmPrintListField("LIST", cell.data(), S()), 0);
  EXPECT_EQ(FmPrintDataField("OK", "a", S()), 0);
  EXPECT_EQ(Only(Close(), "LineTo").size(), 1u);  // the underline of "OK" only
}

// A flow field underlines each of its lines.
TEST_F(TraceSession, FlowFieldsUnderlineEveryLine) {
  FormBuilder form;
  form.Add(6, DataField("NOTE", "", 1).W(5, 30000).B(22, 1), false);
  Open(form);
  ASSERT_EQ(FmPrintDataField("NOTE", "AB\r\nCD", S()), 0);
  const Lines lines = Close();
  EXPECT_EQ(Only(lines, "TextRun").size(), 1u + 2u);  // the blank, then one per line
  EXPECT_EQ(Only(lines, "LineTo").size(), 2u);
}

TEST_F(TraceSession, FlowFieldPrintsAtMostAThousandLines) {
  FormBuilder form;
  form.Add(6, DataField("NOTE", "", 1).W(5, 30000), false);
  Open(form);
  std::string text;
  for (int i = 0; i < 1001; ++i) text += "A\r\n";
  text.pop_back();
  text.pop_back();
  ASSERT_EQ(FmPrintDataField("NOTE", text.c_str(), S()), 0);
  EXPECT_EQ(Only(Close(), "TextRun").size(), 1u + 1000u);  // the blank, then one per line
}

// Three columns in 100 twips = 176 (0.01 mm): columns start 0, 58 and 117 in, which are
// 0, 13 and 27 dots at 600 dpi.
TEST_F(TraceSession, ListFieldColumnsAtRunningSums) {
  FormBuilder form;
  form.Add(9, Rec(92).I16(0, 1).W(4, 100).W(5, 200).W(6, 3).W(7, 1).B(25, 10).B(32, 1).S(36, "X")
                  .S(68, "LIST"), false);
  Open(form, 600);
  std::vector<uint8_t> cells(3 * 34, 0);
  for (int i = 0; i < 3; ++i) {
    cells[i * 34] = 1;
    cells[i * 34 + 2] = static_cast<uint8_t>('1' + i);
  }
  EXPECT_EQ(FmPrintListField("LIST", cells.data(), S()), 0);
  cells[34] = 2;  // "2" becomes "2\0", longer than its format: skipped, the others print
  EXPECT_EQ(FmPrintListField("LIST", cells.data(), S()), -4);
  EXPECT_EQ(FmPrintListField("NONE", cells.data(), S()), -3);
  EXPECT_EQ(Only(Close(), "TextRun"),
            (Lines{"TextRun 1 0,0 \"1\"", "TextRun 1 13,0 \"2\"", "TextRun 1 27,0 \"3\"",
                   "TextRun 1 0,0 \"1\"", "TextRun 1 27,0 \"3\""}));
}

}  // namespace
}  // namespace fmtest
