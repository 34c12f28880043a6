#include "formdraw/render/field_geometry.h"

#include <gtest/gtest.h>

namespace fd::render {
namespace {

void PutWord(std::vector<std::uint8_t>& r, std::size_t at, int v) {
  r[at] = static_cast<std::uint8_t>(v & 0xFF);
  r[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

bool operator==(const draw::PrintTextArgs& a, const draw::PrintTextArgs& b) {
  return a.x == b.x && a.y == b.y && a.extent == b.extent && a.direction == b.direction &&
         a.alignment == b.alignment;
}

// Twips to 0.01 mm (v * 1764 / 1000) and dots to 0.01 mm ((v * 2540 + 1270) / dpi)
// worked out by hand in the comments.
std::vector<std::uint8_t> DataField(int direction, int frameDots) {
  std::vector<std::uint8_t> r(92, 0);
  PutWord(r, 4, 1000);  // x -> 1764
  PutWord(r, 6, 500);   // y -> 882
  PutWord(r, 8, 2000);  // width -> 3528
  PutWord(r, 10, 400);  // height -> 705
  PutWord(r, 12, 2);    // font entry
  PutWord(r, 16, 100);  // text offset x -> 176
  PutWord(r, 18, 50);   // text offset y -> 88
  r[20] = static_cast<std::uint8_t>(frameDots);
  r[21] = 10;  // 200 twips -> 352
  r[22] = 2;
  r[23] = 1;
  r[24] = 9;
  r[28] = 3;
  r[29] = static_cast<std::uint8_t>(direction);
  r[30] = 1;
  return r;
}

TEST(SimpleField, TextFontAndFrame) {
  auto f = SimpleFieldGeometry(DataField(1, 3), 300);
  ASSERT_TRUE(f);
  EXPECT_TRUE((f->text == draw::PrintTextArgs{1940, 970, 3528, 1, 3}));
  EXPECT_EQ(f->font.fontIndex, 2);
  EXPECT_EQ(f->font.charHeight, 352);
  EXPECT_EQ(f->font.rotation, 90);
  EXPECT_EQ(f->decorations.underline, 2);
  EXPECT_EQ(f->frameWidth, 29);  // (7620 + 1270) / 300
  // Field width by character height (882 + 352 = 1234).
  EXPECT_EQ(f->frame, (std::vector<MmLine>{{1764, 882, 5292, 882}, {5292, 882, 5292, 1234},
                                            {5292, 1234, 1764, 1234}, {1764, 1234, 1764, 882}}));
  // Vertical: the extent is the height, the frame character height by field height.
  f = SimpleFieldGeometry(DataField(2, 3), 300);
  EXPECT_EQ(f->text.extent, 705);
  EXPECT_EQ(f->frame[1], (MmLine{2116, 882, 2116, 1587}));
  EXPECT_TRUE(SimpleFieldGeometry(DataField(1, 0), 300)->frame.empty());
  const auto shortRecord = DataField(1, 0);
  EXPECT_FALSE(SimpleFieldGeometry(std::span(shortRecord).first(91), 300));

  const draw::FontEntry entry{0, "F", 0x31, 128};
  const auto font = FieldFont(f->font, entry);
  EXPECT_EQ(font.width, 352);  // width = height for Shift-JIS
  EXPECT_EQ(font.escapement, 90);
  EXPECT_EQ(font.pitch, 0x01);
  EXPECT_EQ(font.family, 0x30);
  EXPECT_EQ(FieldFont(f->font, {0, "F", 0x31, 0}).width, 0);
}

std::vector<std::uint8_t> ListRecord(int columns, int rows) {
  std::vector<std::uint8_t> r(92, 0);
  PutWord(r, 8, 100);  // width -> 176
  PutWord(r, 10, 60);  // height -> 105
  PutWord(r, 12, columns);
  PutWord(r, 14, rows);
  PutWord(r, 20, 10);  // text offset x -> 17
  r[24] = 1;           // grid 1 dot -> (2540 + 1270) / 300 = 12
  r[25] = 9;
  r[32] = 2;
  return r;
}

TEST(ListField, ColumnsStartAtRunningSums) {
  const auto f = ListFieldGeometry(ListRecord(3, 2), 300);
  ASSERT_TRUE(f);
  // Columns at 0, 58, 117 (k * 176 / 3), each 58 wide, plus the text offset 17; rows at
  // 0 and 52 (105 / 2).
  EXPECT_TRUE((f->Cell(0, 0) == draw::PrintTextArgs{17, 0, 58, 1, 2}));
  EXPECT_TRUE((f->Cell(0, 1) == draw::PrintTextArgs{75, 0, 58, 1, 2}));
  EXPECT_TRUE((f->Cell(1, 2) == draw::PrintTextArgs{134, 52, 58, 1, 2}));
  EXPECT_EQ(f->gridWidth, 12);
  EXPECT_EQ(f->grid, (std::vector<MmLine>{{0, 0, 0, 105}, {58, 0, 58, 105}, {117, 0, 117, 105},
                                           {176, 0, 176, 105}, {0, 0, 176, 0}, {0, 52, 176, 52},
                                           {0, 105, 176, 105}}));
}

TEST(ListField, OddSizesStayBounded) {
  // No rows: no grid and no cells. The largest declared field costs only its grid.
  EXPECT_TRUE(ListFieldGeometry(ListRecord(3, 0), 300)->grid.empty());
  const auto huge = ListFieldGeometry(ListRecord(32767, 32767), 300);
  EXPECT_EQ(huge->grid.size(), 2u * 32768);
  EXPECT_EQ(huge->Cell(32766, 32766).extent, 0);  // 176 / 32767
  EXPECT_EQ(ListFieldGeometry(ListRecord(-4, 2), 300)->columns, 0);
}

}  // namespace
}  // namespace fd::render
