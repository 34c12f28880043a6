// Writes Windows bitmap files: a 14-byte file header, the 40-byte information header,
// a colour table for 1-bit images, and bottom-up rows padded to 4 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fmimg {

// Pixels as 0x00RRGGBB, row-major from the top row.
struct RgbImage {
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
};

// Pixels as 0 (black) / 1 (white), row-major from the top row.
struct BilevelImage {
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint8_t> bits;
};

[[nodiscard]] std::vector<std::uint8_t> EncodeBmp24(const RgbImage& image);
[[nodiscard]] std::vector<std::uint8_t> EncodeBmp1(const BilevelImage& image);

}  // namespace fmimg
