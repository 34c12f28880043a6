// Run-length pixel data written byte by byte from the encoding rules, decoded to
// indexes; damaged data must be refused, never written outside the image.
#include "formdraw/image/rle_pixels.h"

#include <gtest/gtest.h>

#include <cstring>

#include "formdraw/image/bitmap_file.h"

namespace fd::image {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(RlePixels, EveryCodeOfBothDepths) {
  struct Row {
    int index, bits, width, height;
    Bytes data;
    Bytes expected;  // stored order: bottom row first
  };
  const Row rows[] = {
      {0, 8, 4, 2, {3, 7, 0, 0, 2, 9, 0, 1}, {7, 7, 7, 0, 9, 9, 0, 0}},  // runs, end of row, end
      {1, 8, 4, 1, {0, 3, 1, 2, 3, 0, 0, 1}, {1, 2, 3, 0}},             // 3 as stored, one pad byte
      {2, 8, 4, 3, {1, 5, 0, 2, 2, 1, 1, 6}, {5, 0, 0, 0, 0, 0, 0, 6, 0, 0, 0, 0}},  // move right 2, up 1
      {3, 4, 5, 1, {5, 0x12}, {1, 2, 1, 2, 1}},                        // nibbles alternate, no end code
      {4, 4, 5, 1, {0, 5, 0x34, 0x56, 0x70, 0}, {3, 4, 5, 6, 7}},      // 5 nibbles as stored, padded
      {5, 8, 2, 2, {0, 0, 2, 4}, {0, 0, 4, 4}},                        // an empty first row
      {6, 8, 4, 2, {0, 2, 4, 0, 0, 2, 0, 2}, Bytes(8, 0)},             // moves to the very edges
  };
  for (const auto& r : rows) {
    auto got = DecodeRlePixels(r.data, r.bits, static_cast<std::uint32_t>(r.width),
                               static_cast<std::uint32_t>(r.height));
    ASSERT_TRUE(got.has_value()) << "row " << r.index;
    EXPECT_EQ(*got, r.expected) << "row " << r.index;
  }
}

TEST(RlePixels, RunsAndMovesOutsideTheImageOrTheDataAreRefused) {
  struct Row {
    int index, bits;
    Bytes data;
  };
  // A 4 x 2 image.
  const Row rows[] = {
      {0, 8, {5, 1}},                      // run longer than the row
      {1, 8, {3, 1, 2, 1}},                // a second run past the row's end
      {2, 8, {0, 0, 0, 0, 1, 1}},          // a run after the last row
      {3, 8, {0, 0, 0, 0, 0, 0}},          // a row end after the last row
      {4, 8, {0, 2, 5, 0}},                // move past the right edge
      {5, 8, {0, 2, 0, 3}},                // move past the top
      {6, 8, {0, 2, 1}},                   // move cut short
      {7, 8, {0, 4, 1, 2, 3}},             // stored indexes cut short
      {8, 8, {0, 5, 1, 2, 3, 4, 5, 0}},    // stored indexes longer than the row
      {9, 4, {0, 6, 0x12, 0x34}},          // stored nibbles cut short
  };
  for (const auto& r : rows)
    EXPECT_FALSE(DecodeRlePixels(r.data, r.bits, 4, 2).has_value()) << "row " << r.index;
}

void Put32(Bytes& b, std::size_t o, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[o + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A run-length bitmap file: 2 x 2, 8 bits, palette index i = colour 0x010101 * i.
Bytes Rle8File(const Bytes& data, int height = 2) {
  Bytes b(54 + 1024, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 10, static_cast<std::uint32_t>(b.size()));
  Put32(b, 14, 40);
  Put32(b, 18, 2);
  Put32(b, 22, static_cast<std::uint32_t>(height));
  b[26] = 1;
  b[28] = 8;
  Put32(b, 30, kRle8);
  for (std::uint32_t i = 0; i < 256; ++i) Put32(b, 54 + 4 * i, 0x010101 * i);
  b.insert(b.end(), data.begin(), data.end());
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  return b;
}

TEST(RlePixels, BitmapsAreDecodedTopRowFirstAndDamageGivesThePixelError) {
  auto r = DecodeBitmap(Rle8File({2, 10, 0, 0, 1, 20, 1, 30, 0, 1}));
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.image.pixels, (std::vector<std::uint32_t>{0x141414, 0x1E1E1E, 0x0A0A0A, 0x0A0A0A}));
  EXPECT_EQ(DecodeBitmap(Rle8File({3, 10})).code, kBadPixelData);
  EXPECT_EQ(DecodeBitmap(Rle8File({2, 10}, -2)).code, kBadInfoHeader) << "run-length data are bottom-up";
  auto rle4As8 = Rle8File({2, 10});
  rle4As8[30] = static_cast<std::uint8_t>(kRle4);  // 4-bit coding on an 8-bit image
  EXPECT_EQ(DecodeBitmap(rle4As8).code, kBadInfoHeader);
}

}  // namespace
}  // namespace fd::image
