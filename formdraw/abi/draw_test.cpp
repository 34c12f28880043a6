// Drawing exports on a trace printer: the device calls they make, worked out by hand
// from the unit rules (0.01 mm to dots: v * 1000 / (2540000 / dpi)).
#include "formdraw/abi/trace_session.h"

namespace fmtest {
namespace {

using Lines = std::vector<std::string>;

std::string Last(const Lines& lines) { return lines.empty() ? "" : lines.back(); }

struct PenRow {
  int dpi, style, width;
  std::string pen;
};

class PenWidths : public TraceSession, public ::testing::WithParamInterface<PenRow> {};

// (width in dots * dpi + 299) / 300, at least 1; any dashed style 1 dot.
TEST_P(PenWidths, FollowTheResolution) {
  const PenRow& row = GetParam();
  Open({}, row.dpi);
  ASSERT_EQ(FmSetLine(row.style, row.width, S()), 0);
  EXPECT_EQ(Last(Only(Close(), "SelectPen")), row.pen);
}

INSTANTIATE_TEST_SUITE_P(Lines, PenWidths,
                         ::testing::Values(PenRow{300, 0, 10, "SelectPen style=0 width=1 color=000000"},
                                           PenRow{600, 0, 10, "SelectPen style=0 width=4 color=000000"},
                                           PenRow{300, 0, 100, "SelectPen style=0 width=11 color=000000"},
                                           PenRow{300, 2, 100, "SelectPen style=2 width=1 color=000000"}));

TEST_F(TraceSession, SettingsReturnEarlyAndCheckArguments) {
  Open();
  EXPECT_EQ(FmSetPattern(14, S()), -2);
  EXPECT_EQ(FmSetPattern(11, S()), 0);
  EXPECT_EQ(FmSetPattern(11, S()), 0);
  EXPECT_EQ(FmSetPattern(8, S()), 0);
  EXPECT_EQ(FmSetLine(5, 10, S()), -2);
  EXPECT_EQ(FmSetFont(0, 100, 1, 0, 0, S()), -2);
  EXPECT_EQ(FmSetFont(100, 100, 4, 0, 0, S()), -2);
  EXPECT_EQ(FmCreateFont(100, 100, 0, 2, 0, 128, 1, 16, "a", S()), -2);
  EXPECT_EQ(FmCreateFont(100, 100, 0, 0, 0, 128, 1, 16, std::string(32, 'a').c_str(), S()), -2);
  EXPECT_EQ(FmSetKanjiFont(1, 2, 3, S()), 0);
  EXPECT_EQ(FmPrintText(0, 0, 0, 1, 1, "A", S()), -2);
  EXPECT_EQ(FmPrintText(0, 0, 100, 5, 1, "A", S()), -2);
  EXPECT_EQ(FmPrintText(0, 0, 100, 1, 5, "A", S()), -2);
  // Pattern 11 is all 1 bits: only the background colour shows.
  EXPECT_EQ(Only(Close(), "SelectBrush pattern"),
            (Lines{"SelectBrush pattern=FFFFFFFFFFFFFFFF color=000000 background=FFFFFF",
                   "SelectBrush pattern=AA55AA55AA55AA55 color=000000 background=FFFFFF"}));
}

TEST_F(TraceSession, LineAndTextStartThePageBeforeCheckingArguments) {
  Open();
  ASSERT_EQ(FmPrintOut(S()), 0);
  EXPECT_EQ(FmSetPattern(14, S()), -2);  // checks first: no page
  EXPECT_EQ(FmSetLine(9, 10, S()), -2);  // starts the page
  ASSERT_EQ(FmPrintOut(S()), 0);
  EXPECT_EQ(FmPrintText(0, 0, 0, 1, 1, "A", S()), -2);
  EXPECT_EQ(Only(Close(), "StartPage").size(), 2u);
}

TEST_F(TraceSession, CreateFontTakesEscapementModulo360) {
  Open();
  ASSERT_EQ(FmCreateFont(254, 254, 450, 1, 0, 128, 1, 16, kMincho.c_str(), S()), 0);
  ASSERT_EQ(FmCreateFont(254, 254, 450, 1, 0, 128, 1, 16, kMincho.c_str(), S()), 0);
  const Lines fonts = Only(Close(), "SelectFont");
  ASSERT_EQ(fonts.size(), 2u);  // the page's default, then one for both calls
  EXPECT_EQ(fonts[1],
            "SelectFont height=30 width=15 escapement=900 weight=700 italic=0 charset=128 "
            "pitchfamily=17 face=\"ＭＳ 明朝\"");
}

// A 2.54 mm built-in font at 300 dpi: full width 30002 thousandths of a dot, so a
// single-byte character advances 15001.
TEST_F(TraceSession, OverLongTextIsSqueezedOneDotPerCharacter) {
  Open();
  ASSERT_EQ(FmSetFont(254, 254, 1, 0, 0, S()), 0);
  // Extent 100 = 11 dots; the text needs 45 dots. Character i moves back i dots.
  ASSERT_EQ(FmPrintText(0, 0, 100, 1, 1, "ABC", S()), 0);
  EXPECT_EQ(Only(Close(), "TextRun"), Lines{"TextRun 3 0,0 \"A\" 14,0 \"B\" 28,0 \"C\""});
}

TEST_F(TraceSession, SpreadAlignmentCentresASingleCharacter) {
  Open();
  ASSERT_EQ(FmSetFont(254, 254, 1, 0, 0, S()), 0);
  // Extent 1000 = 118 dots; (118 - 15) / 2 = 51.
  ASSERT_EQ(FmPrintText(0, 1000, 1000, 1, 4, "A", S()), 0);
  EXPECT_EQ(Only(Close(), "TextRun"), Lines{"TextRun 1 51,118 \"A\""});
}

// The same font setting again returns at once, so after a magnification change the
// device keeps the font made before it (15-dot cells): its characters must be placed 15
// dots apart, not with sizes worked out again at the new magnification. A new page makes
// the font again at the magnification of then, and places with that one.
TEST_F(TraceSession, TextIsPlacedWithTheSizesOfTheSelectedFont) {
  Open();
  ASSERT_EQ(FmSetFont(254, 254, 1, 0, 0, S()), 0);
  ASSERT_EQ(FmSetLong(7, 200, S()), 0);
  ASSERT_EQ(FmSetFont(254, 254, 1, 0, 0, S()), 0);
  ASSERT_EQ(FmPrintText(0, 0, 1000, 1, 1, "ABC", S()), 0);
  ASSERT_EQ(FmSetLong(7, 100, S()), 0);
  ASSERT_EQ(FmCreateFont(254, 254, 0, 0, 0, 128, 1, 16, kMincho.c_str(), S()), 0);
  ASSERT_EQ(FmSetLong(7, 200, S()), 0);
  ASSERT_EQ(FmCreateFont(254, 254, 0, 0, 0, 128, 1, 16, kMincho.c_str(), S()), 0);
  ASSERT_EQ(FmPrintText(0, 500, 1000, 2, 1, "AB", S()), 0);  // 30 dots a character down
  ASSERT_EQ(FmPrintOut(S()), 0);
  ASSERT_EQ(FmPrintText(0, 0, 1000, 1, 1, "AB", S()), 0);
  const Lines lines = Close();
  EXPECT_EQ(Only(lines, "TextRun"),
            (Lines{"TextRun 3 0,0 \"A\" 15,0 \"B\" 30,0 \"C\"", "TextRun 2 0,118 \"A\" 0,148 \"B\"",
                   "TextRun 2 0,0 \"A\" 30,0 \"B\""}));
  EXPECT_EQ(Only(lines, "SelectFont height=60").size(), 1u) << "the second page's font";
}

struct DirectionRow {
  int direction, alignment;
  Lines expected;
};
class Directions : public TraceSession, public ::testing::WithParamInterface<DirectionRow> {};

// Built-in font of 254 (0.01 mm) at 300 dpi: single-byte advance 15001, height 30002
// thousandths; extent 1000 = 118 dots.
TEST_P(Directions, PlaceCharactersOneByOne) {
  Open();
  ASSERT_EQ(FmSetFont(254, 254, 1, 0, 0, S()), 0);
  ASSERT_EQ(FmPrintText(0, 0, 1000, GetParam().direction, GetParam().alignment, "ABC", S()), 0);
  EXPECT_EQ(Only(Close(), "TextRun"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Text, Directions,
    ::testing::Values(
        DirectionRow{1, 1, {"TextRun 3 0,0 \"A\" 15,0 \"B\" 30,0 \"C\""}},
        DirectionRow{2, 1, {"TextRun 3 0,0 \"A\" 0,30 \"B\" 0,60 \"C\""}},
        DirectionRow{3, 1, {"TextRun 3 0,0 \"C\" 15,0 \"B\" 30,0 \"A\""}},
        // End: 118 - 45 = 73 (45003 thousandths: 72.997 rounds down to 72 at the start).
        DirectionRow{1, 2, {"TextRun 3 72,0 \"A\" 87,0 \"B\" 102,0 \"C\""}},
        // Spread: (118 - 45) * 1000 / 2 = 36500 extra after each character.
        DirectionRow{1, 4, {"TextRun 3 0,0 \"A\" 51,0 \"B\" 103,0 \"C\""}}));

TEST_F(TraceSession, OtherFacesAreMeasuredAndDrawnInOneCall) {
  Open();
  ASSERT_EQ(FmCreateFont(254, 254, 0, 0, 0, 0, 0, 0, "DejaVu Sans", S()), 0);
  ASSERT_EQ(FmPrintText(0, 0, 5000, 1, 1, "Hello", S()), 0);
  ASSERT_EQ(FmPrintText(0, 1000, 5000, 1, 4, "Hi", S()), 0);
  const Lines texts = Only(Close(), "TextRun");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "TextRun 1 0,0 \"Hello\"");
  // Spread: the last character ends at the extent (590 dots) within a dot.
  EXPECT_EQ(texts[1].rfind("TextRun 2 0,118 \"H\" 5", 0), 0u) << texts[1];
}

TEST_F(TraceSession, ShapesOrderCornersAndCapTheRadius) {
  Open();
  // 1000 = 118 dots, 500 = 59: the inclusive box is 0 0 119 60; a 236-dot corner is
  // cut to the box.
  ASSERT_EQ(FmPrintBox(1000, 500, 0, 0, 1000, S()), 0);
  ASSERT_EQ(FmPrintBox(0, 0, 1000, 500, -5, S()), 0);
  ASSERT_EQ(FmPrintCircle(1000, 0, 0, 500, S()), 0);
  ASSERT_EQ(FmPrintPie(0, 0, 1000, 500, 1000, 0, 0, 0, S()), 0);
  ASSERT_EQ(FmPrintArc(0, 0, 1000, 500, 1000, 0, 0, 0, S()), 0);
  ASSERT_EQ(FmPrintChord(0, 0, 1000, 500, 0, 500, 1000, 500, S()), 0);
  const int32_t points[] = {0, 0, 1000, 0, 1000, 500};
  ASSERT_EQ(FmPrintPolygon(3, points, S()), 0);
  EXPECT_EQ(FmPrintPolygon(0, points, S()), -2);
  EXPECT_EQ(FmPrintPolygon(3, nullptr, S()), -2);
  const Lines lines = Close();
  EXPECT_EQ(Only(lines, "RoundRect"), Lines{"RoundRect 0 0 119 60 119 60"});
  EXPECT_EQ(Only(lines, "Rectangle"), Lines{"Rectangle 0 0 119 60"});
  EXPECT_EQ(Only(lines, "Ellipse"), Lines{"Ellipse 0 0 119 60"});
  EXPECT_EQ(Only(lines, "Pie"), Lines{"Pie 0 0 119 60 118 0 0 0"});
  EXPECT_EQ(Only(lines, "Arc"), Lines{"Arc 0 0 119 60 118 0 0 0"});
  EXPECT_EQ(Only(lines, "Chord"), Lines{"Chord 0 0 119 60 0 59 118 59"});
  EXPECT_EQ(Only(lines, "Polygon"), Lines{"Polygon 3 0,0 118,0 118,59"});
}

// With frames off (setting 4), filled figures are drawn under an invisible pen and the
// pen chosen before is back for what follows; an arc, an outline only, keeps its pen.
TEST_F(TraceSession, FramelessFiguresHideTheirOutlineOnly) {
  Open();
  ASSERT_EQ(FmSetLine(0, 10, S()), 0);
  ASSERT_EQ(FmSetLong(4, 0, S()), 0);
  ASSERT_EQ(FmPrintCircle(0, 0, 1000, 500, S()), 0);
  const int32_t points[] = {0, 0, 1000, 0, 1000, 500};
  ASSERT_EQ(FmPrintPolygon(3, points, S()), 0);
  ASSERT_EQ(FmPrintArc(0, 0, 1000, 500, 1000, 0, 0, 0, S()), 0);
  ASSERT_EQ(FmPrintLine(0, 0, 1000, 0, S()), 0);
  const Lines lines = Close();
  // The pen selected last before the first line starting with `at`.
  const auto penBefore = [&](const std::string& at) {
    std::string pen;
    for (const auto& l : lines) {
      if (l.rfind(at, 0) == 0) return pen;
      if (l.rfind("SelectPen", 0) == 0) pen = l;
    }
    return "no " + at;
  };
  for (const char* figure : {"Ellipse", "Polygon"})
    EXPECT_EQ(penBefore(figure).rfind("SelectPen style=5", 0), 0u) << figure;
  const std::string pen = penBefore("Arc");
  EXPECT_EQ(pen.rfind("SelectPen style=0 width=", 0), 0u) << pen;
  EXPECT_EQ(penBefore("LineTo"), pen);
}

TEST_F(TraceSession, MagnificationAppliesToPositions) {
  Open({}, 300, 2, 200);
  ASSERT_EQ(FmPrintLine(0, 0, 500, 1000, S()), 0);
  EXPECT_EQ(Only(Close(), "LineTo"), Lines{"LineTo 118 236"});
}

TEST_F(TraceSession, CallsWithoutASessionFail) {
  std::array<int32_t, 4> none{};
  EXPECT_EQ(FmSetLine(0, 10, none.data()), -1);
  EXPECT_EQ(FmPrintText(0, 0, 10, 1, 1, "A", none.data()), -1);
  EXPECT_EQ(FmPrintForm(nullptr, none.data()), -1);
  EXPECT_EQ(FmPrintDataField("A", "1", none.data()), -1);
}

}  // namespace
}  // namespace fmtest
