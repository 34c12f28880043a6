#include "formdraw/image/bitmap_file.h"

#include <algorithm>
#include <climits>
#include <fstream>

#include "formdraw/image/rle_pixels.h"

namespace fd::image {
namespace {

constexpr std::uint64_t kMaxPixels = 64ull * 1024 * 1024;
constexpr std::uint64_t kMaxDataBytes = 512ull * 1024 * 1024;

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t o) {
  return b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (static_cast<std::uint32_t>(b[o + 3]) << 24);
}
std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t o) {
  return static_cast<std::uint16_t>(b[o] | (b[o + 1] << 8));
}

struct Header {
  std::uint32_t fileSize = 0, dataOffset = 0;
  std::int32_t width = 0, height = 0;
  std::uint16_t bits = 0;
  std::uint32_t compression = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
};

std::size_t PaletteEntries(std::uint16_t bits) {
  return bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
}

// Parses headers and colour table; returns 0 or a failure code.
int ParseHeader(std::span<const std::uint8_t> b, Header& h) {
  if (b.size() < 14) return kShortFileHeader;
  h.fileSize = U32(b, 2);
  h.dataOffset = U32(b, 10);
  if (b.size() < 54) return kBadInfoHeader;
  h.width = static_cast<std::int32_t>(U32(b, 18));
  h.height = static_cast<std::int32_t>(U32(b, 22));
  h.bits = U16(b, 28);
  h.compression = U32(b, 30);
  const std::size_t entries = PaletteEntries(h.bits);
  if (b.size() < 54 + entries * 4) return kBadInfoHeader;
  for (std::size_t i = 0; i < entries; ++i) h.palette.push_back(U32(b, 54 + i * 4) & 0xFFFFFF);
  const bool knownBits =
      h.bits == 1 || h.bits == 4 || h.bits == 8 || h.bits == 16 || h.bits == 24 || h.bits == 32;
  // Run-length data are 8-bit or 4-bit and stored bottom-up only.
  const bool rle = (h.compression == kRle8 && h.bits == 8) || (h.compression == kRle4 && h.bits == 4);
  if (!knownBits || (h.compression != 0 && !rle)) return kBadInfoHeader;
  if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN) return kBadInfoHeader;
  if (rle && h.height < 0) return kBadInfoHeader;
  return 0;
}

// An uncompressed 16-bit pixel holds 5 bits each of red, green and blue (the top bit is
// unused); each becomes 8 bits with its high bits repeated, so 31 gives 255.
std::uint32_t From555(std::uint16_t v) {
  auto channel = [](std::uint32_t c) { return (c << 3) | (c >> 2); };
  return channel((v >> 10) & 31) << 16 | channel((v >> 5) & 31) << 8 | channel(v & 31);
}

std::uint32_t PixelAt(const Header& h, const std::uint8_t* row, std::uint32_t x) {
  switch (h.bits) {
    case 1: return h.palette[(row[x / 8] >> (7 - x % 8)) & 1];
    case 4: return h.palette[(row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF];
    case 8: return h.palette[row[x]];
    case 16: return From555(static_cast<std::uint16_t>(row[x * 2] | (row[x * 2 + 1] << 8)));
    case 24: return (row[x * 3 + 2] << 16) | (row[x * 3 + 1] << 8) | row[x * 3];
    default: return (row[x * 4 + 2] << 16) | (row[x * 4 + 1] << 8) | row[x * 4];
  }
}

// Run-length data become palette indexes first, then colours, top row first.
int DecodeRle(const Header& h, std::span<const std::uint8_t> data, DecodedBitmap& out) {
  const auto width = static_cast<std::uint32_t>(h.width), height = static_cast<std::uint32_t>(h.height);
  const auto indexes = DecodeRlePixels(data, h.bits, width, height);
  if (!indexes) return kBadPixelData;
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.pixels.resize(indexes->size());
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = indexes->data() + static_cast<std::size_t>(height - 1 - y) * width;
    for (std::uint32_t x = 0; x < width; ++x)
      out.pixels[static_cast<std::size_t>(y) * width + x] = h.palette[row[x]];
  }
  return 0;
}

int DecodePixels(const Header& h, std::span<const std::uint8_t> data, DecodedBitmap& out) {
  const std::uint64_t width = static_cast<std::uint32_t>(h.width);
  const std::uint64_t height = h.height < 0 ? -static_cast<std::int64_t>(h.height) : h.height;
  if (width * height > kMaxPixels) return kNoMemory;
  if (h.compression != 0) return DecodeRle(h, data, out);
  const std::uint64_t stride = (width * h.bits + 31) / 32 * 4;
  if (stride * height > data.size()) return kBadPixelData;
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.pixels.resize(width * height);
  const bool bottomUp = h.height > 0;
  for (std::uint64_t y = 0; y < height; ++y) {
    const std::uint64_t stored = bottomUp ? height - 1 - y : y;
    const std::uint8_t* row = data.data() + stored * stride;
    for (std::uint32_t x = 0; x < width; ++x) out.pixels[y * width + x] = PixelAt(h, row, x);
  }
  return 0;
}

}  // namespace

BitmapResult DecodeBitmap(std::span<const std::uint8_t> bytes) {
  BitmapResult r;
  Header h;
  if ((r.code = ParseHeader(bytes, h)) != 0) return r;
  // The pixel data runs from the data offset to the file size the header gives.
  if (h.dataOffset > bytes.size()) {
    r.code = kSeekFailed;
    return r;
  }
  if (h.fileSize < h.dataOffset || h.fileSize - h.dataOffset > kMaxDataBytes) {
    r.code = kNoMemory;
    return r;
  }
  if (h.fileSize > bytes.size()) {
    r.code = kBadPixelData;
    return r;
  }
  r.code = DecodePixels(h, bytes.subspan(h.dataOffset, h.fileSize - h.dataOffset), r.image);
  return r;
}

BitmapResult ReadBitmapFile(const std::filesystem::path& path, std::int64_t fileOffset) {
  BitmapResult r;
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  std::ifstream in(path, std::ios::binary);
  if (!in || ec) {
    r.code = kBadPixelData;
    return r;
  }
  if (fileOffset < 0 || static_cast<std::uint64_t>(fileOffset) > size) {
    r.code = kSeekFailed;
    return r;
  }
  const std::uint64_t available = size - static_cast<std::uint64_t>(fileOffset);
  auto readAt = [&](std::uint64_t count, std::vector<std::uint8_t>& into) {
    into.resize(count);
    in.clear();
    in.seekg(fileOffset);
    return static_cast<bool>(in.read(reinterpret_cast<char*>(into.data()), static_cast<std::streamsize>(count)));
  };
  // Headers and colour table first; they say how much of the file the bitmap occupies.
  std::vector<std::uint8_t> bytes;
  const std::uint64_t headerBytes = std::min<std::uint64_t>(available, 54 + 256 * 4);
  if (!readAt(headerBytes, bytes)) {
    r.code = kBadPixelData;
    return r;
  }
  const std::uint64_t fileSize = bytes.size() >= 6 ? U32(bytes, 2) : 0;
  if (fileSize > headerBytes && fileSize <= available && fileSize <= kMaxDataBytes &&
      !readAt(fileSize, bytes)) {
    r.code = kBadPixelData;
    return r;
  }
  return DecodeBitmap(bytes);
}

}  // namespace fd::image
