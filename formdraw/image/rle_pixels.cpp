#include "formdraw/image/rle_pixels.h"

#include <algorithm>

namespace fd::image {
namespace {

// The position in the image and the writing of indexes, each checked.
class Canvas {
 public:
  Canvas(std::uint32_t width, std::uint32_t height, int bits)
      : width_(width), height_(height), bits_(bits),
        indexes_(static_cast<std::size_t>(width) * height, 0) {}

  // Writes `count` indexes from the current position; byte(i) gives the byte that holds
  // index i (one index a byte for 8 bits, two for 4 bits, the high nibble first).
  template <typename ByteOf>
  bool Put(std::uint32_t count, ByteOf byteOf) {
    if (y_ >= height_ || count > width_ - x_) return false;
    std::uint8_t* row = indexes_.data() + static_cast<std::size_t>(y_) * width_;
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint8_t b = byteOf(i);
      row[x_ + i] = bits_ == 8 ? b : (i % 2 == 0 ? b >> 4 : b & 0x0F);
    }
    x_ += count;
    return true;
  }
  bool EndRow() {
    if (y_ >= height_) return false;
    x_ = 0;
    ++y_;
    return true;
  }
  bool Move(std::uint32_t right, std::uint32_t up) {
    if (right > width_ - x_ || up > height_ - y_) return false;
    x_ += right;
    y_ += up;
    return true;
  }
  std::vector<std::uint8_t> Take() { return std::move(indexes_); }

 private:
  std::uint32_t width_, height_;
  int bits_;
  std::uint32_t x_ = 0, y_ = 0;
  std::vector<std::uint8_t> indexes_;
};

}  // namespace

std::optional<std::vector<std::uint8_t>> DecodeRlePixels(std::span<const std::uint8_t> data, int bits,
                                                         std::uint32_t width, std::uint32_t height) {
  if (bits != 8 && bits != 4) return std::nullopt;
  Canvas canvas(width, height, bits);
  std::size_t pos = 0;
  // Data that end without the end-of-bitmap code end the picture there.
  while (data.size() - pos >= 2) {
    const std::uint8_t count = data[pos], value = data[pos + 1];
    pos += 2;
    if (count > 0) {
      if (!canvas.Put(count, [value](std::uint32_t) { return value; })) return std::nullopt;
      continue;
    }
    if (value == 1) break;
    if (value == 0) {
      if (!canvas.EndRow()) return std::nullopt;
    } else if (value == 2) {
      if (data.size() - pos < 2 || !canvas.Move(data[pos], data[pos + 1])) return std::nullopt;
      pos += 2;
    } else {
      const std::size_t bytes = bits == 8 ? value : (value + 1u) / 2;
      if (data.size() - pos < bytes) return std::nullopt;
      const std::uint8_t* stored = data.data() + pos;
      const bool ok = canvas.Put(value, [&](std::uint32_t i) { return stored[bits == 8 ? i : i / 2]; });
      if (!ok) return std::nullopt;
      pos += std::min(data.size() - pos, bytes + bytes % 2);
    }
  }
  return canvas.Take();
}

}  // namespace fd::image
