#include "fmimg/bmp_writer.h"

namespace fmimg {
namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// File header and information header; `tableBytes` of colour table follow them.
std::vector<std::uint8_t> Headers(std::uint32_t width, std::uint32_t height, std::uint16_t bits,
                                  std::uint32_t stride, std::uint32_t tableBytes) {
  const std::uint32_t dataOffset = 14 + 40 + tableBytes;
  const std::uint32_t imageBytes = stride * height;
  std::vector<std::uint8_t> out;
  out.reserve(dataOffset + imageBytes);
  out.push_back('B');
  out.push_back('M');
  Put32(out, dataOffset + imageBytes);
  Put32(out, 0);
  Put32(out, dataOffset);
  Put32(out, 40);
  Put32(out, width);
  Put32(out, height);  // positive: bottom-up rows
  Put16(out, 1);
  Put16(out, bits);
  Put32(out, 0);  // no compression
  Put32(out, imageBytes);
  Put32(out, 11811);  // 300 dpi in pixels per metre
  Put32(out, 11811);
  Put32(out, tableBytes / 4);
  Put32(out, 0);
  return out;
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(const RgbImage& image) {
  const std::uint32_t stride = (image.width * 3 + 3) & ~3u;
  auto out = Headers(image.width, image.height, 24, stride, 0);
  for (std::uint32_t y = image.height; y-- > 0;) {
    const std::size_t rowStart = out.size();
    for (std::uint32_t x = 0; x < image.width; ++x) {
      const std::uint32_t p = image.pixels[static_cast<std::size_t>(y) * image.width + x];
      out.push_back(static_cast<std::uint8_t>(p));        // blue
      out.push_back(static_cast<std::uint8_t>(p >> 8));   // green
      out.push_back(static_cast<std::uint8_t>(p >> 16));  // red
    }
    out.resize(rowStart + stride, 0);
  }
  return out;
}

std::vector<std::uint8_t> EncodeBmp1(const BilevelImage& image) {
  const std::uint32_t stride = ((image.width + 31) / 32) * 4;
  auto out = Headers(image.width, image.height, 1, stride, 8);
  Put32(out, 0x00000000);  // index 0: black
  Put32(out, 0x00FFFFFF);  // index 1: white
  for (std::uint32_t y = image.height; y-- > 0;) {
    const std::size_t rowStart = out.size();
    out.resize(rowStart + stride, 0);
    for (std::uint32_t x = 0; x < image.width; ++x) {
      if (image.bits[static_cast<std::size_t>(y) * image.width + x])
        out[rowStart + x / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
    }
  }
  return out;
}

}  // namespace fmimg
