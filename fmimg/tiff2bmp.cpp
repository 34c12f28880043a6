// Tiff2Bmp: decodes the first image of a TIFF file with libtiff's RGBA reader (which
// handles every photometric interpretation and compression libtiff knows) and writes it
// as a bitmap file. Bilevel sources stay 1-bit so that fax-sized scans stay small.
#include <tiffio.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

#include "fmimg/bmp_writer.h"
#include "fmimg/fmimg32.h"

namespace fmimg {
namespace {

// Largest image accepted, in pixels: the RGBA raster needs 4 bytes a pixel.
constexpr std::uint64_t kMaxPixels = 64ull * 1024 * 1024;

struct TiffCloser {
  void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

bool IsBilevel(TIFF* tif) {
  std::uint16_t bits = 0, samples = 1, photometric = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) return false;
  return bits == 1 && samples == 1 &&
         (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK);
}

// Composites a libtiff ABGR pixel over white and returns 0x00RRGGBB.
std::uint32_t OverWhite(std::uint32_t abgr) {
  const std::uint32_t a = TIFFGetA(abgr);
  auto blend = [a](std::uint32_t c) { return (c * a + 255 * (255 - a) + 127) / 255; };
  return (blend(TIFFGetR(abgr)) << 16) | (blend(TIFFGetG(abgr)) << 8) | blend(TIFFGetB(abgr));
}

bool ReadRaster(TIFF* tif, std::uint32_t& width, std::uint32_t& height,
                std::vector<std::uint32_t>& raster) {
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) ||
      !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height))
    return false;
  if (width == 0 || height == 0) return false;
  if (static_cast<std::uint64_t>(width) * height > kMaxPixels) return false;
  raster.assign(static_cast<std::size_t>(width) * height, 0);
  return TIFFReadRGBAImageOriented(tif, width, height, raster.data(), ORIENTATION_TOPLEFT, 0) == 1;
}

bool WriteFile(const char* path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return (std::fclose(f) == 0) && ok;
}

void Truncate(const char* path) {
  if (std::FILE* f = std::fopen(path, "wb")) std::fclose(f);
}

int Convert(const char* source, const char* target) {
  // The decoder's warnings and errors would go to the console of the web host.
  TIFFSetWarningHandler(nullptr);
  TIFFSetErrorHandler(nullptr);
  TiffPtr tif(TIFFOpen(source, "r"));
  if (!tif) return 1;
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint32_t> raster;
  if (!ReadRaster(tif.get(), width, height, raster)) return 2;
  std::vector<std::uint8_t> bytes;
  if (IsBilevel(tif.get())) {
    BilevelImage img{width, height, std::vector<std::uint8_t>(raster.size())};
    for (std::size_t i = 0; i < raster.size(); ++i)
      img.bits[i] = TIFFGetG(raster[i]) >= 128 ? 1 : 0;
    bytes = EncodeBmp1(img);
  } else {
    RgbImage img{width, height, std::vector<std::uint32_t>(raster.size())};
    for (std::size_t i = 0; i < raster.size(); ++i) img.pixels[i] = OverWhite(raster[i]);
    bytes = EncodeBmp24(img);
  }
  return WriteFile(target, bytes) ? 0 : 3;
}

}  // namespace
}  // namespace fmimg

extern "C" FMIMG32_API int Tiff2Bmp(const char* sourceFile, const char* bitmapFile) {
  if (!sourceFile || !bitmapFile || !*sourceFile || !*bitmapFile) return -1;
  try {
    const int rc = fmimg::Convert(sourceFile, bitmapFile);
    if (rc != 0) fmimg::Truncate(bitmapFile);
    return rc;
  } catch (...) {
    fmimg::Truncate(bitmapFile);
    return -2;
  }
}
