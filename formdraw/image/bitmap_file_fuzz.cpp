// Fuzz entry for the bitmap reader: any bytes, decoded as a bitmap file.
#include <cstdint>
#include <span>

#include "formdraw/image/bitmap_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  (void)fd::image::DecodeBitmap(std::span<const std::uint8_t>(data, size));
  return 0;
}
