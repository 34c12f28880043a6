// Run-length pixel data of 8-bit (compression 1) and 4-bit (compression 2) bitmaps,
// decoded into palette indexes. The data are pairs: a count above 0 repeats a value (one
// index for 8 bits, two alternating nibbles for 4 bits); a count of 0 starts an escape:
// 0 ends the row, 1 ends the bitmap, 2 moves the position right and up by the next two
// bytes, and 3 to 255 are that many indexes stored as they are, padded to an even number
// of bytes. Pixels no code reaches keep index 0. Every run and move is checked against
// the image and every read against the data, so damaged data give nullopt, never a
// write outside the image. Pure function; thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace fd::image {

inline constexpr std::uint32_t kRle8 = 1;
inline constexpr std::uint32_t kRle4 = 2;

// Indexes row by row as stored (the bottom row first), width * height of them.
// `bits` is 8 or 4.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> DecodeRlePixels(
    std::span<const std::uint8_t> data, int bits, std::uint32_t width, std::uint32_t height);

}  // namespace fd::image
