#include <gtest/gtest.h>
#include <tiffio.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fmimg/fmimg32.h"

namespace {

namespace fs = std::filesystem;

struct Bmp {
  std::uint32_t dataOffset = 0, width = 0, height = 0, fileSize = 0;
  std::uint16_t bits = 0;
  std::vector<std::uint8_t> bytes;

  static std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t o) {
    return b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (static_cast<std::uint32_t>(b[o + 3]) << 24);
  }
  // Pixel colour as 0xRRGGBB (top-left origin).
  std::uint32_t At(std::uint32_t x, std::uint32_t y) const {
    const std::uint32_t row = height - 1 - y;
    if (bits == 24) {
      const std::uint32_t stride = (width * 3 + 3) & ~3u;
      const std::size_t o = dataOffset + row * stride + x * 3;
      return (bytes[o + 2] << 16) | (bytes[o + 1] << 8) | bytes[o];
    }
    const std::uint32_t stride = ((width + 31) / 32) * 4;
    const bool set = bytes[dataOffset + row * stride + x / 8] & (0x80 >> (x % 8));
    return U32(bytes, 54 + (set ? 4 : 0)) & 0xFFFFFF;
  }
};

// True when every byte after a row's last pixel, up to the row's four-byte boundary, is
// zero (bits after the last pixel included, for one-bit rows).
bool RowEndsAreClear(const Bmp& b) {
  const std::uint32_t stride = b.bits == 24 ? (b.width * 3 + 3) & ~3u : ((b.width + 31) / 32) * 4;
  const std::uint32_t usedBits = b.width * b.bits;
  for (std::uint32_t row = 0; row < b.height; ++row) {
    for (std::uint32_t bit = usedBits; bit < stride * 8; ++bit) {
      if (b.bytes[b.dataOffset + row * stride + bit / 8] & (0x80 >> (bit % 8))) return false;
    }
  }
  return b.bytes.size() == b.dataOffset + static_cast<std::size_t>(stride) * b.height;
}

Bmp ReadBmp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  Bmp b;
  b.bytes.assign(std::istreambuf_iterator<char>(in), {});
  if (b.bytes.size() < 54) return b;
  b.fileSize = Bmp::U32(b.bytes, 2);
  b.dataOffset = Bmp::U32(b.bytes, 10);
  b.width = Bmp::U32(b.bytes, 18);
  b.height = Bmp::U32(b.bytes, 22);
  b.bits = static_cast<std::uint16_t>(b.bytes[28] | (b.bytes[29] << 8));
  return b;
}

// An uncompressed 8-bit grey TIFF written byte by byte, with one private tag (65000) that
// no reader knows: readable, but the decoder warns about the tag.
std::vector<std::uint8_t> GreyTiffWithPrivateTag(std::uint16_t w, std::uint16_t h) {
  struct Entry {
    std::uint16_t tag, type;
    std::uint32_t value;
  };
  const std::uint32_t count = 10, dataOffset = 8 + 2 + count * 12 + 4;
  const Entry entries[count] = {{256, 3, w},          {257, 3, h},  {258, 3, 8},
                                {259, 3, 1},          {262, 3, 1},  {273, 4, dataOffset},
                                {277, 3, 1},          {278, 3, h},  {279, 4, std::uint32_t(w) * h},
                                {65000, 3, 7}};
  std::vector<std::uint8_t> b = {'I', 'I', 42, 0, 8, 0, 0, 0, count, 0};
  auto put = [&b](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  for (const auto& e : entries) {
    put(e.tag, 2);
    put(e.type, 2);
    put(1, 4);
    put(e.value, 4);
  }
  put(0, 4);
  b.resize(b.size() + std::size_t(w) * h, 0x80);
  return b;
}

class Tiff2BmpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("fmimg_test_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Writes a width x height TIFF whose pixel (x, y) is pixel(x, y) (one value per sample).
  template <class PixelFn>
  fs::path WriteTiff(const std::string& name, std::uint32_t w, std::uint32_t h, int samples,
                     int bits, int photometric, int compression, PixelFn pixel,
                     const std::vector<std::uint16_t>* palette = nullptr) {
    auto path = dir_ / name;
    TIFF* t = TIFFOpen(path.c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, h);
    if (palette) {
      const auto* p = palette->data();
      TIFFSetField(t, TIFFTAG_COLORMAP, p, p + 256, p + 512);
    }
    const std::size_t rowBytes = bits == 1 ? (w + 7) / 8 : w * samples;
    std::vector<std::uint8_t> row(rowBytes);
    for (std::uint32_t y = 0; y < h; ++y) {
      std::fill(row.begin(), row.end(), 0);
      for (std::uint32_t x = 0; x < w; ++x) {
        if (bits == 1) {
          if (pixel(x, y, 0)) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        } else {
          for (int s = 0; s < samples; ++s) row[x * samples + s] = pixel(x, y, s);
        }
      }
      TIFFWriteScanline(t, row.data(), y, 0);
    }
    TIFFClose(t);
    return path;
  }

  fs::path dir_;
};

TEST_F(Tiff2BmpTest, ColourAndGreyImagesBecome24BitBottomUpBitmaps) {
  struct Case {
    const char* name;
    int samples, photometric, compression;
  } cases[] = {
      {"rgb_none.tif", 3, PHOTOMETRIC_RGB, COMPRESSION_NONE},
      {"rgb_lzw.tif", 3, PHOTOMETRIC_RGB, COMPRESSION_LZW},
      {"rgb_deflate.tif", 3, PHOTOMETRIC_RGB, COMPRESSION_ADOBE_DEFLATE},
      {"grey_packbits.tif", 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_PACKBITS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // Left half red (grey 200 for one sample), right half blue (grey 50); 5 wide so that
    // rows need padding.
    auto src = WriteTiff(c.name, 5, 3, c.samples, 8, c.photometric, c.compression,
                         [&](std::uint32_t x, std::uint32_t, int s) -> std::uint8_t {
                           if (c.samples == 1) return x < 2 ? 200 : 50;
                           const bool left = x < 2;
                           return static_cast<std::uint8_t>(s == 0 ? (left ? 255 : 0)
                                                            : s == 2 ? (left ? 0 : 255) : 0);
                         });
    auto out = dir_ / "out.bmp";
    ASSERT_EQ(Tiff2Bmp(src.c_str(), out.c_str()), 0);
    auto bmp = ReadBmp(out);
    EXPECT_EQ(bmp.bits, 24);
    EXPECT_EQ(bmp.width, 5u);
    EXPECT_EQ(bmp.height, 3u);
    EXPECT_EQ(bmp.dataOffset, 54u);
    EXPECT_EQ(bmp.fileSize, bmp.bytes.size());
    const std::uint32_t left = c.samples == 1 ? 0xC8C8C8 : 0xFF0000;
    const std::uint32_t right = c.samples == 1 ? 0x323232 : 0x0000FF;
    for (std::uint32_t y = 0; y < 3; ++y)
      for (std::uint32_t x = 0; x < 5; ++x) EXPECT_EQ(bmp.At(x, y), x < 2 ? left : right) << x << "," << y;
    EXPECT_TRUE(RowEndsAreClear(bmp));
  }
}

TEST_F(Tiff2BmpTest, PaletteImageTakesItsColoursFromTheColourMap) {
  std::vector<std::uint16_t> map(768, 0);
  map[1] = 0xFFFF;            // index 1: red
  map[512 + 2] = 0xFFFF;      // index 2: blue
  auto src = WriteTiff("palette.tif", 4, 2, 1, 8, PHOTOMETRIC_PALETTE, COMPRESSION_PACKBITS,
                       [](std::uint32_t x, std::uint32_t, int) -> std::uint8_t { return x < 2 ? 1 : 2; },
                       &map);
  auto out = dir_ / "p.bmp";
  ASSERT_EQ(Tiff2Bmp(src.c_str(), out.c_str()), 0);
  auto bmp = ReadBmp(out);
  EXPECT_EQ(bmp.At(0, 1), 0xFF0000u);
  EXPECT_EQ(bmp.At(3, 0), 0x0000FFu);
}

TEST_F(Tiff2BmpTest, BilevelImagesStayOneBitWithBlackAndWhiteTable) {
  // A diagonal line on white, 37 wide so that rows end inside a byte and need padding.
  // Min-is-white (fax): a set bit is black; min-is-black: a set bit is white.
  const auto onLine = [](std::uint32_t x, std::uint32_t y) { return x == y * 2; };
  for (const int photometric : {PHOTOMETRIC_MINISWHITE, PHOTOMETRIC_MINISBLACK}) {
    SCOPED_TRACE(photometric);
    const bool setIsBlack = photometric == PHOTOMETRIC_MINISWHITE;
    auto src = WriteTiff("fax.tif", 37, 19, 1, 1, photometric, COMPRESSION_CCITTFAX4,
                         [&](std::uint32_t x, std::uint32_t y, int) -> std::uint8_t {
                           return onLine(x, y) == setIsBlack;
                         });
    auto out = dir_ / "fax.bmp";
    ASSERT_EQ(Tiff2Bmp(src.c_str(), out.c_str()), 0);
    auto bmp = ReadBmp(out);
    EXPECT_EQ(bmp.bits, 1);
    EXPECT_EQ(bmp.dataOffset, 62u);  // two colour-table entries
    for (std::uint32_t y = 0; y < 19; ++y)
      for (std::uint32_t x = 0; x < 37; ++x)
        EXPECT_EQ(bmp.At(x, y), onLine(x, y) ? 0x000000u : 0xFFFFFFu) << x << "," << y;
    EXPECT_TRUE(RowEndsAreClear(bmp));
  }
}

// An image past the converter's size limit is refused from its header, before its
// pixels are decoded (72 megapixels, a few kilobytes compressed).
TEST_F(Tiff2BmpTest, ImagesPastTheSizeLimitAreRefused) {
  auto src = WriteTiff("huge.tif", 9000, 8000, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4,
                       [](std::uint32_t, std::uint32_t, int) -> std::uint8_t { return 0; });
  auto out = dir_ / "huge.bmp";
  std::ofstream(out) << "old";
  EXPECT_NE(Tiff2Bmp(src.c_str(), out.c_str()), 0);
  EXPECT_EQ(fs::file_size(out), 0u);
}

TEST_F(Tiff2BmpTest, UnreadableSourcesFailAndLeaveTheTargetEmpty) {
  auto out = dir_ / "t.bmp";
  std::ofstream(out) << "old";
  EXPECT_NE(Tiff2Bmp((dir_ / "missing.tif").c_str(), out.c_str()), 0);
  EXPECT_EQ(fs::file_size(out), 0u);

  auto junk = dir_ / "junk.tif";
  std::ofstream(junk) << "II*\0this is not really a tiff";
  EXPECT_NE(Tiff2Bmp(junk.c_str(), out.c_str()), 0);
  EXPECT_EQ(fs::file_size(out), 0u);

  // A valid file cut in half.
  auto good = WriteTiff("good.tif", 64, 64, 3, 8, PHOTOMETRIC_RGB, COMPRESSION_NONE,
                        [](std::uint32_t x, std::uint32_t, int) -> std::uint8_t { return x; });
  fs::resize_file(good, fs::file_size(good) / 2);
  EXPECT_NE(Tiff2Bmp(good.c_str(), out.c_str()), 0);
  EXPECT_EQ(fs::file_size(out), 0u);

  EXPECT_NE(Tiff2Bmp(nullptr, out.c_str()), 0);
  EXPECT_NE(Tiff2Bmp("", out.c_str()), 0);
  // A good source with no target (missing or empty) fails as well, and writes nothing.
  auto src = WriteTiff("s.tif", 2, 2, 3, 8, PHOTOMETRIC_RGB, COMPRESSION_NONE,
                       [](std::uint32_t, std::uint32_t, int) -> std::uint8_t { return 9; });
  EXPECT_NE(Tiff2Bmp(src.c_str(), nullptr), 0);
  EXPECT_NE(Tiff2Bmp(src.c_str(), ""), 0);
  EXPECT_NE(Tiff2Bmp(nullptr, nullptr), 0);
}

TEST_F(Tiff2BmpTest, UnwritableTargetFails) {
  auto src = WriteTiff("s.tif", 2, 2, 3, 8, PHOTOMETRIC_RGB, COMPRESSION_NONE,
                       [](std::uint32_t, std::uint32_t, int) -> std::uint8_t { return 9; });
  EXPECT_NE(Tiff2Bmp(src.c_str(), (dir_ / "no/such/dir/x.bmp").c_str()), 0);
  // A disk that takes nothing: the bitmap is buffered, the failure shows when it is closed.
  EXPECT_NE(Tiff2Bmp(src.c_str(), "/dev/full"), 0);
}

// A conversion that runs out of memory (a large image on a busy machine) fails and leaves
// the target empty, like any other failure. Run in a child process with a small address
// space; the sanitizers reserve more address space than that, so not under them.
TEST_F(Tiff2BmpTest, RunningOutOfMemoryFailsAndLeavesTheTargetEmpty) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "address-space limit and sanitizer do not mix";
#else
  // 60 megapixels (under the size limit), 240 MB once decoded.
  auto src = WriteTiff("big.tif", 8000, 7500, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4,
                       [](std::uint32_t, std::uint32_t, int) -> std::uint8_t { return 0; });
  auto out = dir_ / "big.bmp";
  std::ofstream(out) << "old";
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    rlimit limit{160u << 20, 160u << 20};
    ::setrlimit(RLIMIT_AS, &limit);
    const int rc = Tiff2Bmp(src.c_str(), out.c_str());
    ::_exit(rc == 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the conversion crashed";
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(fs::file_size(out), 0u);
#endif
}

// The converter runs inside the web host: a damaged file fails with a return code, and
// the decoder's complaints (errors and warnings) do not end up on the host's standard error.
TEST_F(Tiff2BmpTest, DamagedFilesFailQuietly) {
  const auto odd = GreyTiffWithPrivateTag(3, 2);
  const fs::path oddPath = dir_ / "private_tag.tif";
  std::ofstream(oddPath, std::ios::binary).write(reinterpret_cast<const char*>(odd.data()),
                                                 static_cast<std::streamsize>(odd.size()));
  auto good = WriteTiff("good.tif", 64, 64, 3, 8, PHOTOMETRIC_RGB, COMPRESSION_NONE,
                        [](std::uint32_t x, std::uint32_t, int) -> std::uint8_t { return x; });
  fs::resize_file(good, fs::file_size(good) / 2);
  auto junk = dir_ / "junk.tif";
  std::ofstream(junk) << "II*\0this is not really a tiff";
  const fs::path errors = dir_ / "stderr.txt";
  std::fflush(stderr);
  const int saved = ::dup(2);
  const int file = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::dup2(file, 2);
  const int cut = Tiff2Bmp(good.c_str(), (dir_ / "a.bmp").c_str());
  const int notTiff = Tiff2Bmp(junk.c_str(), (dir_ / "b.bmp").c_str());
  const int warned = Tiff2Bmp(oddPath.c_str(), (dir_ / "c.bmp").c_str());
  std::fflush(stderr);
  ::dup2(saved, 2);
  ::close(saved);
  ::close(file);
  EXPECT_NE(cut, 0);
  EXPECT_NE(notTiff, 0);
  EXPECT_EQ(warned, 0);
  EXPECT_EQ(ReadBmp(dir_ / "c.bmp").At(2, 1), 0x808080u);
  EXPECT_EQ(fs::file_size(errors), 0u);
}

}  // namespace
