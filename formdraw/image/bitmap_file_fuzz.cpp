// Fuzz entry for the bitmap reader, three ways per input:
// - the bytes as a bitmap file, decoded from memory;
// - a bitmap whose 54-byte headers are built from the first input bytes (bit count,
//   compression, width, height, a nudge of the data offset) with sizes that agree with
//   the input, the rest being colour table and pixels: most inputs reach the pixel
//   decoders instead of stopping at the header checks;
// - the built bitmap read from a file at an offset, as image records of a form read it.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cmake/fuzz_input.h"
#include "formdraw/image/bitmap_file.h"

namespace {

void Put(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v, int width) {
  for (int i = 0; i < width; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::vector<std::uint8_t> BuildBitmap(fuzzing::FuzzInput& in) {
  static constexpr int kBits[] = {1, 4, 8, 16, 24, 32, 1, 8, 24, 0, 2, 64};
  const int bits = in.Pick(kBits);
  const std::uint8_t shape = in.Byte();
  // Uncompressed three times in four; otherwise 0 to 3 (1 and 2 are the run-length kinds).
  const std::uint32_t compression = (shape & 0x0C) == 0x0C ? shape & 3 : 0;
  const int width = in.Range(1, 96);
  const int height = in.Range(-48, 48);
  const int offsetNudge = static_cast<std::int8_t>(in.Byte()) / 16;  // -8..7
  const auto body = in.Rest();
  const std::size_t palette = bits <= 8 && bits > 0 ? (std::size_t{4} << bits) : 0;
  std::vector<std::uint8_t> b;
  b.reserve(54 + body.size());
  b.resize(54);
  b[0] = 'B';
  b[1] = 'M';
  const std::size_t total = 54 + body.size();
  Put(b, 2, static_cast<std::uint32_t>((shape & 0x80) ? total + (shape & 0x70) : total), 4);
  Put(b, 10, static_cast<std::uint32_t>(54 + palette + offsetNudge), 4);
  Put(b, 14, 40, 4);
  Put(b, 18, static_cast<std::uint32_t>(width), 4);
  Put(b, 22, static_cast<std::uint32_t>(height), 4);
  Put(b, 26, 1, 2);
  Put(b, 28, static_cast<std::uint32_t>(bits), 2);
  Put(b, 30, compression, 4);
  Put(b, 34, static_cast<std::uint32_t>(body.size() > palette ? body.size() - palette : 0), 4);
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

// A file the reader can open by name: an anonymous in-memory file, rewritten per input.
const std::string& ScratchFile(int& fd) {
  static int scratch = ::memfd_create("bitmap_fuzz", 0);
  static const std::string path = "/proc/self/fd/" + std::to_string(scratch);
  fd = scratch;
  return path;
}

void ReadFromFile(const std::vector<std::uint8_t>& bitmap, std::size_t prefix) {
  int fd = -1;
  const std::string& path = ScratchFile(fd);
  if (fd < 0 || ::ftruncate(fd, 0) != 0) return;
  const std::vector<std::uint8_t> pad(prefix, 0xEE);
  if (::pwrite(fd, pad.data(), pad.size(), 0) != static_cast<ssize_t>(pad.size())) return;
  if (::pwrite(fd, bitmap.data(), bitmap.size(), static_cast<off_t>(prefix)) !=
      static_cast<ssize_t>(bitmap.size()))
    return;
  (void)fd::image::ReadBitmapFile(path, static_cast<std::int64_t>(prefix));
}

void CheckDecoded(const fd::image::BitmapResult& r) {
  if (r.code != 0) return;
  if (r.image.width <= 0 || r.image.height <= 0 ||
      r.image.pixels.size() != static_cast<std::size_t>(r.image.width) * r.image.height)
    __builtin_trap();
  for (std::uint32_t p : r.image.pixels)
    if (p > 0xFFFFFF) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckDecoded(fd::image::DecodeBitmap(std::span<const std::uint8_t>(data, size)));
  fuzzing::FuzzInput in(data, size);
  const std::size_t prefix = size > 0 ? (data[0] & 3) * 7u : 0;  // 0, 7, 14 or 21 bytes
  const auto built = BuildBitmap(in);
  CheckDecoded(fd::image::DecodeBitmap(built));
  ReadFromFile(built, prefix);
  return 0;
}
