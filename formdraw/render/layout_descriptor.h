// The text layout descriptor: what the form pass's text engines need to know about a
// static text or a flowed data field, taken from the record's bytes. Positions and sizes
// are twips, the font is a font-table index, sizes and spacings are points (spacings
// stored plus 128). The packed form is 26 bytes, little-endian: five int16 (x, y,
// width, height, font), twelve bytes (size, underline, strike, rotation, alignment,
// direction, bold, italic, flow flags, line order, line spacing, character spacing) and
// the uint32 text colour. Pure functions.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace fd::render {

struct LayoutDescriptor {
  std::int16_t x = 0, y = 0, width = 0, height = 0, font = 0;
  std::uint8_t size = 0;        // points
  std::uint8_t underline = 0;   // 0 to 7
  std::uint8_t strike = 0;      // 0 to 2
  std::uint8_t rotation = 0;    // tens of degrees
  std::uint8_t alignment = 1;   // 1 start, 2 end, 3 centre, 4 spread
  std::uint8_t direction = 1;   // 1 to 4
  std::uint8_t bold = 0;
  std::uint8_t italic = 0;
  std::uint8_t flowFlags = 0;   // bit 0 hanging characters, bit 1 word wrap and blanks
  std::uint8_t lineOrder = 0;   // 0 single line / simple field; 1 forward; else reverse
  std::uint8_t lineSpacing = 128;
  std::uint8_t charSpacing = 128;
  std::uint32_t colour = 0;
  bool operator==(const LayoutDescriptor&) const = default;
};

inline constexpr std::size_t kStaticTextRecordSize = 64;
inline constexpr std::size_t kDataFieldRecordSize = 92;
inline constexpr std::size_t kPackedDescriptorSize = 26;

// From a static text piece (64 bytes) or a data field record (92 bytes); nullopt when
// the record is shorter.
[[nodiscard]] std::optional<LayoutDescriptor> FromStaticText(std::span<const std::uint8_t> record);
[[nodiscard]] std::optional<LayoutDescriptor> FromDataField(std::span<const std::uint8_t> record);

[[nodiscard]] std::array<std::uint8_t, kPackedDescriptorSize> Pack(const LayoutDescriptor& d);
[[nodiscard]] LayoutDescriptor Unpack(std::span<const std::uint8_t, kPackedDescriptorSize> bytes);

}  // namespace fd::render
