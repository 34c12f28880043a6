#include "formdraw/render/layout_descriptor.h"

namespace fd::render {
namespace {

std::int16_t Word(std::span<const std::uint8_t> r, std::size_t at) {
  return static_cast<std::int16_t>(r[at] | (r[at + 1] << 8));
}

std::uint32_t Dword(std::span<const std::uint8_t> r, std::size_t at) {
  return std::uint32_t{r[at]} | std::uint32_t{r[at + 1]} << 8 | std::uint32_t{r[at + 2]} << 16 |
         std::uint32_t{r[at + 3]} << 24;
}

// Where each item sits in a record: the first of the five words, the bytes of the four
// size items, alignment and direction, bold/italic/flags, order and spacings, colour.
struct RecordOffsets {
  std::size_t words, size, alignment, bold, lineOrder, colour;
};

LayoutDescriptor Read(std::span<const std::uint8_t> r, const RecordOffsets& o) {
  LayoutDescriptor d;
  d.x = Word(r, o.words);
  d.y = Word(r, o.words + 2);
  d.width = Word(r, o.words + 4);
  d.height = Word(r, o.words + 6);
  d.font = Word(r, o.words + 8);
  d.size = r[o.size];
  d.underline = r[o.size + 1];
  d.strike = r[o.size + 2];
  d.rotation = r[o.size + 3];
  d.alignment = r[o.alignment];
  d.direction = r[o.alignment + 1];
  d.bold = r[o.bold];
  d.italic = r[o.bold + 1];
  d.flowFlags = r[o.bold + 2];
  d.lineOrder = r[o.lineOrder];
  d.lineSpacing = r[o.lineOrder + 1];
  d.charSpacing = r[o.lineOrder + 2];
  d.colour = Dword(r, o.colour);
  return d;
}

}  // namespace

std::optional<LayoutDescriptor> FromStaticText(std::span<const std::uint8_t> record) {
  if (record.size() < kStaticTextRecordSize) return std::nullopt;
  return Read(record, {2, 12, 19, 21, 24, 60});
}

std::optional<LayoutDescriptor> FromDataField(std::span<const std::uint8_t> record) {
  if (record.size() < kDataFieldRecordSize) return std::nullopt;
  return Read(record, {4, 21, 28, 30, 33, 88});
}

std::array<std::uint8_t, kPackedDescriptorSize> Pack(const LayoutDescriptor& d) {
  std::array<std::uint8_t, kPackedDescriptorSize> b{};
  std::size_t at = 0;
  for (std::int16_t w : {d.x, d.y, d.width, d.height, d.font}) {
    b[at++] = static_cast<std::uint8_t>(w & 0xFF);
    b[at++] = static_cast<std::uint8_t>((w >> 8) & 0xFF);
  }
  for (std::uint8_t v : {d.size, d.underline, d.strike, d.rotation, d.alignment, d.direction,
                         d.bold, d.italic, d.flowFlags, d.lineOrder, d.lineSpacing, d.charSpacing})
    b[at++] = v;
  for (int shift = 0; shift < 32; shift += 8) b[at++] = static_cast<std::uint8_t>(d.colour >> shift);
  return b;
}

LayoutDescriptor Unpack(std::span<const std::uint8_t, kPackedDescriptorSize> bytes) {
  // The packed layout is a record of its own: words at 0, size bytes at 10, alignment
  // at 14, bold at 16, line order at 19, colour at 22.
  return Read(bytes, {0, 10, 14, 16, 19, 22});
}

}  // namespace fd::render
