#include "formdraw/render/layout_descriptor.h"

#include <gtest/gtest.h>

#include <vector>

namespace fd::render {
namespace {

void PutWord(std::vector<std::uint8_t>& r, std::size_t at, int v) {
  r[at] = static_cast<std::uint8_t>(v & 0xFF);
  r[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

// Every item gets a distinct value at the offset the record layout gives it.
std::vector<std::uint8_t> Record(std::size_t size, std::size_t words, std::size_t sizeByte,
                                 std::size_t alignByte, std::size_t boldByte,
                                 std::size_t orderByte, std::size_t colourAt) {
  std::vector<std::uint8_t> r(size, 0xEE);
  PutWord(r, words, 100);
  PutWord(r, words + 2, -200);
  PutWord(r, words + 4, 300);
  PutWord(r, words + 6, 400);
  PutWord(r, words + 8, 5);
  for (int i = 0; i < 4; ++i) r[sizeByte + i] = static_cast<std::uint8_t>(10 + i);
  r[alignByte] = 4;
  r[alignByte + 1] = 2;
  for (int i = 0; i < 3; ++i) r[boldByte + i] = static_cast<std::uint8_t>(1 + i);
  for (int i = 0; i < 3; ++i) r[orderByte + i] = static_cast<std::uint8_t>(130 + i);
  PutWord(r, colourAt, 0x5634);
  PutWord(r, colourAt + 2, 0x0012);
  return r;
}

const LayoutDescriptor kExpected{100, -200, 300, 400, 5, 10, 11, 12, 13, 4, 2, 1, 2, 3,
                                 130, 131, 132, 0x00125634};

TEST(LayoutDescriptor, ReadsStaticTextsAndDataFieldsAtTheirOffsets) {
  const auto text = Record(64, 2, 12, 19, 21, 24, 60);
  EXPECT_EQ(FromStaticText(text), kExpected);
  const auto field = Record(92, 4, 21, 28, 30, 33, 88);
  EXPECT_EQ(FromDataField(field), kExpected);
  // Short records are refused rather than read past their end.
  EXPECT_EQ(FromStaticText(std::span(text).first(63)), std::nullopt);
  EXPECT_EQ(FromDataField(std::span(field).first(91)), std::nullopt);
}

TEST(LayoutDescriptor, PacksInto26BytesAndBack) {
  const auto b = Pack(kExpected);
  EXPECT_EQ(b[0], 100);   // x low byte
  EXPECT_EQ(b[3], 0xFF);  // y = -200 high byte
  EXPECT_EQ(b[10], 10);   // size
  EXPECT_EQ(b[14], 4);    // alignment
  EXPECT_EQ(b[21], 132);  // character spacing
  EXPECT_EQ(b[22], 0x34); // colour, little-endian
  EXPECT_EQ(b[24], 0x12);
  EXPECT_EQ(Unpack(b), kExpected);
}

}  // namespace
}  // namespace fd::render
