#include "formdraw/image/bitmap_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fd::image {
namespace {

void Put32(std::vector<std::uint8_t>& b, std::size_t o, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[o + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A bitmap of w x h at `bits`, with `palette` entries, pixel rows given bottom-up or
// top-down; rows are the raw stored bytes (already padded).
std::vector<std::uint8_t> MakeBmp(int w, int h, int bits, std::vector<std::uint32_t> palette,
                                  std::vector<std::vector<std::uint8_t>> storedRows) {
  const std::size_t tableBytes = palette.size() * 4, offset = 54 + tableBytes;
  std::size_t dataBytes = 0;
  for (auto& r : storedRows) dataBytes += r.size();
  std::vector<std::uint8_t> b(offset + dataBytes, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  Put32(b, 10, static_cast<std::uint32_t>(offset));
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(w));
  Put32(b, 22, static_cast<std::uint32_t>(h));
  b[26] = 1;
  b[28] = static_cast<std::uint8_t>(bits);
  for (std::size_t i = 0; i < palette.size(); ++i) Put32(b, 54 + 4 * i, palette[i]);
  std::size_t o = offset;
  for (auto& r : storedRows) {
    std::memcpy(b.data() + o, r.data(), r.size());
    o += r.size();
  }
  return b;
}

TEST(BitmapFile, DecodesEveryBitCountInBothRowOrders) {
  // 24-bit, 2 x 2, bottom-up: the first stored row is the bottom one.
  auto bmp24 = MakeBmp(2, 2, 24, {}, {{0, 0, 255, 0, 255, 0, 0, 0}, {255, 0, 0, 255, 255, 255, 0, 0}});
  auto r = DecodeBitmap(bmp24);
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.image.pixels, (std::vector<std::uint32_t>{0x0000FF, 0xFFFFFF, 0xFF0000, 0x00FF00}));

  // 8-bit with the full 256-entry table although only two colours are used; top-down.
  std::vector<std::uint32_t> pal(256, 0);
  pal[7] = 0x00123456;
  auto bmp8 = MakeBmp(3, -1, 8, pal, {{7, 0, 7, 0}});
  r = DecodeBitmap(bmp8);
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.image.height, 1);
  EXPECT_EQ(r.image.pixels, (std::vector<std::uint32_t>{0x123456, 0, 0x123456}));

  // 1-bit and 4-bit.
  auto bmp1 = MakeBmp(9, 1, 1, {0x000000, 0xFFFFFF}, {{0x80, 0x80, 0, 0}});
  r = DecodeBitmap(bmp1);
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.image.pixels[0], 0xFFFFFFu);
  EXPECT_EQ(r.image.pixels[1], 0u);
  EXPECT_EQ(r.image.pixels[8], 0xFFFFFFu);
  std::vector<std::uint32_t> pal16(16, 0);
  pal16[0xA] = 0xAAAAAA;
  r = DecodeBitmap(MakeBmp(2, 1, 4, pal16, {{0xA0, 0, 0, 0}}));
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.image.pixels, (std::vector<std::uint32_t>{0xAAAAAA, 0}));

  // 16-bit: 5 bits each of red, green and blue; full channels become 255.
  r = DecodeBitmap(MakeBmp(2, 1, 16, {}, {{0x00, 0x7C, 0xE0, 0x03}}));  // red 31, green 31
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.image.pixels, (std::vector<std::uint32_t>{0xFF0000, 0x00FF00}));
  r = DecodeBitmap(MakeBmp(1, 1, 16, {}, {{0x10, 0x00, 0, 0}}));  // blue 16 of 31
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.image.pixels[0], 0x000084u);

  // 32-bit ignores the fourth byte.
  r = DecodeBitmap(MakeBmp(1, 1, 32, {}, {{1, 2, 3, 99}}));
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.image.pixels[0], 0x030201u);
}

TEST(BitmapFile, InconsistentFilesGiveTheirCodes) {
  auto good = MakeBmp(2, 2, 24, {}, {{0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}});
  EXPECT_EQ(DecodeBitmap(std::span(good).first(10)).code, kShortFileHeader);
  EXPECT_EQ(DecodeBitmap(std::span(good).first(30)).code, kBadInfoHeader);
  // An 8-bit image whose colour table is cut.
  auto noTable = MakeBmp(1, 1, 8, {}, {{0, 0, 0, 0}});
  EXPECT_EQ(DecodeBitmap(noTable).code, kBadInfoHeader);
  auto b = good;
  b[28] = 2;  // unsupported bit count
  EXPECT_EQ(DecodeBitmap(b).code, kBadInfoHeader);
  b = good;
  Put32(b, 30, 1);  // compressed
  EXPECT_EQ(DecodeBitmap(b).code, kBadInfoHeader);
  b = good;
  Put32(b, 22, 3);  // more rows than the data holds
  EXPECT_EQ(DecodeBitmap(b).code, kBadPixelData);
  b = good;
  Put32(b, 2, static_cast<std::uint32_t>(b.size() + 100));  // size past the end
  EXPECT_EQ(DecodeBitmap(b).code, kBadPixelData);
  Put32(b, 2, 0x7FFFFFFF);  // more pixel data than any sane image
  EXPECT_EQ(DecodeBitmap(b).code, kNoMemory);
  Put32(b, 2, 20);  // a size that ends before the data begins
  EXPECT_EQ(DecodeBitmap(b).code, kNoMemory);
  b = good;
  Put32(b, 10, 0xFFFFFFF0u);  // data offset far away
  EXPECT_EQ(DecodeBitmap(b).code, kSeekFailed);
  Put32(b, 10, static_cast<std::uint32_t>(b.size()));  // data offset at the very end: no data
  EXPECT_EQ(DecodeBitmap(b).code, kBadPixelData);
  Put32(b, 10, static_cast<std::uint32_t>(b.size() + 1));
  EXPECT_EQ(DecodeBitmap(b).code, kSeekFailed);
  b = good;
  Put32(b, 18, 0x7FFFFFFF);  // width that overflows any allocation
  Put32(b, 22, 0x7FFFFFFF);
  EXPECT_NE(DecodeBitmap(b).code, 0);
}

TEST(BitmapFile, ReadsABitmapStoredInsideAnotherFile) {
  auto bmp = MakeBmp(1, 1, 24, {}, {{9, 8, 7, 0}});
  std::vector<std::uint8_t> file(5000 + bmp.size() + 300, 0x66);  // bytes after the bitmap too
  std::fill(file.begin(), file.begin() + 5000, 0x55);
  std::copy(bmp.begin(), bmp.end(), file.begin() + 5000);
  auto path = std::filesystem::temp_directory_path() / ("bmp_at_offset_" + std::to_string(::getpid()));
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                              static_cast<std::streamsize>(file.size()));
  auto r = ReadBitmapFile(path, 5000);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.image.pixels, (std::vector<std::uint32_t>{0x070809}));
  EXPECT_EQ(ReadBitmapFile(path, 1 << 30).code, kSeekFailed);
  EXPECT_EQ(ReadBitmapFile(path.string() + ".missing", 0).code, kBadPixelData);
  EXPECT_EQ(ReadBitmapFile(std::filesystem::temp_directory_path(), 0).code, kBadPixelData) << "a folder";
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace fd::image
