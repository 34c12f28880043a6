// Reads Windows bitmap files the way the form library draws them: a 14-byte file header
// (its size field marks the end of the pixel data), the 40-byte information header, a
// colour table for 1, 4 and 8 bits (2, 16 and 256 entries, whatever the header says) and
// the pixel data read in one block. Uncompressed 1, 4, 8, 16 (5-5-5), 24 and 32-bit
// images, bottom-up or top-down, and bottom-up run-length 8-bit and 4-bit images are
// decoded into 0x00RRGGBB pixels. Every inconsistency (sizes that
// overflow, data past the file's end, unknown bit counts or compression) gives a negative
// code, never a crash. Pure functions over bytes plus one file reader; thread-safe.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace fd::image {

inline constexpr int kShortFileHeader = -3;   // fewer than 14 bytes
inline constexpr int kBadInfoHeader = -4;     // info header or colour table incomplete or unusable
inline constexpr int kBadPixelData = -5;      // pixel data cannot be read or is too short
inline constexpr int kNoMemory = -8;          // pixel data larger than any sane image
inline constexpr int kSeekFailed = -11;       // offset beyond the file

struct DecodedBitmap {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // row-major from the top row, 0x00RRGGBB
};

struct BitmapResult {
  int code = 0;  // 0 or one of the codes above
  DecodedBitmap image;
};

// Decodes a bitmap that starts at bytes[0].
[[nodiscard]] BitmapResult DecodeBitmap(std::span<const std::uint8_t> bytes);

// Reads the bitmap stored at `fileOffset` of a file (0 for a plain bitmap file).
// The file must exist (the caller searches for it); a file that cannot be read gives
// kBadPixelData.
[[nodiscard]] BitmapResult ReadBitmapFile(const std::filesystem::path& path, std::int64_t fileOffset);

}  // namespace fd::image
