// Fuzz entry for Tiff2Bmp: each input is converted twice, once as a TIFF file as it is,
// and once as the strip data of a TIFF whose directory the harness builds from the first
// input bytes (size, bits and samples per pixel, photometric interpretation, compression,
// fill order, orientation, extra samples, a colour map), so that most inputs reach the
// decoders and the conversion instead of the directory checks. Any result code is fine, a
// crash or a leak is not; a conversion that succeeds must write a bitmap that the form
// library's reader decodes to the image's size.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cmake/fuzz_input.h"
#include "fmimg/fmimg32.h"
#include "formdraw/image/bitmap_file.h"

namespace {

struct Entry {
  std::uint16_t tag, type;
  std::uint32_t count;
  std::vector<std::uint8_t> value;  // count x type size bytes
};

void Put(std::vector<std::uint8_t>& b, std::uint32_t v, int width) {
  for (int i = 0; i < width; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
Entry Short(std::uint16_t tag, std::vector<std::uint16_t> values) {
  Entry e{tag, 3, static_cast<std::uint32_t>(values.size()), {}};
  for (auto v : values) Put(e.value, v, 2);
  return e;
}
Entry Long(std::uint16_t tag, std::uint32_t v) {
  Entry e{tag, 4, 1, {}};
  Put(e.value, v, 4);
  return e;
}

// A little-endian TIFF: header, strip data, out-of-line values, then the directory.
std::vector<std::uint8_t> Write(std::vector<Entry> entries, std::span<const std::uint8_t> strip) {
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
  static constexpr std::uint8_t kHeader[] = {'I', 'I', 42, 0, 0, 0, 0, 0};  // directory offset follows
  std::vector<std::uint8_t> out(std::begin(kHeader), std::end(kHeader));
  const std::uint32_t stripAt = 8;
  for (std::uint8_t b : strip) out.push_back(b);
  if (out.size() % 2) out.push_back(0);
  for (auto& e : entries) {
    if (e.tag == 273) e.value = {}, Put(e.value, stripAt, 4);
    if (e.tag == 279) e.value = {}, Put(e.value, static_cast<std::uint32_t>(strip.size()), 4);
  }
  std::vector<std::uint32_t> offsets(entries.size(), 0);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].value.size() <= 4) continue;
    offsets[i] = static_cast<std::uint32_t>(out.size());
    out.insert(out.end(), entries[i].value.begin(), entries[i].value.end());
    if (out.size() % 2) out.push_back(0);
  }
  const auto directory = static_cast<std::uint32_t>(out.size());
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<std::uint8_t>(directory >> (8 * i));
  Put(out, static_cast<std::uint32_t>(entries.size()), 2);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto& e = entries[i];
    Put(out, e.tag, 2);
    Put(out, e.type, 2);
    Put(out, e.count, 4);
    if (e.value.size() <= 4) {
      std::vector<std::uint8_t> inline4 = e.value;
      inline4.resize(4, 0);
      out.insert(out.end(), inline4.begin(), inline4.end());
    } else {
      Put(out, offsets[i], 4);
    }
  }
  Put(out, 0, 4);
  return out;
}

std::vector<std::uint8_t> BuildTiff(fuzzing::FuzzInput& in) {
  static constexpr std::uint16_t kBits[] = {1, 8, 8, 4, 2, 16, 1, 8};
  static constexpr std::uint16_t kSamples[] = {1, 1, 3, 3, 4, 2, 1, 3};
  static constexpr std::uint16_t kPhotometric[] = {0, 1, 2, 3, 1, 2, 5, 6};
  static constexpr std::uint16_t kCompression[] = {1, 1, 1, 32773, 5, 8, 2, 3, 4, 7};
  const std::uint8_t shape = in.Byte();
  const std::uint16_t bits = kBits[shape & 7];
  const std::uint16_t samples = kSamples[(shape >> 3) & 7];
  const std::uint16_t photometric = in.Pick(kPhotometric);
  const std::uint16_t compression = in.Pick(kCompression);
  const std::uint8_t more = in.Byte();
  const std::uint32_t width = 1 + in.Byte() % 64, height = 1 + in.Byte() % 64;
  std::vector<Entry> entries = {
      Long(256, width),       Long(257, height),
      Short(258, std::vector<std::uint16_t>(samples, bits)),
      Short(259, {compression}), Short(262, {photometric}),
      Long(273, 0),           Short(277, {samples}),
      Long(278, height),      Long(279, 0),
      Short(284, {static_cast<std::uint16_t>(1 + ((more & 1) && samples > 1))})};
  if (more & 2) entries.push_back(Short(266, {2}));                         // fill order
  if (more & 4) entries.push_back(Short(274, {static_cast<std::uint16_t>(1 + (more >> 5))}));
  if (samples == 2 || samples == 4) entries.push_back(Short(338, {static_cast<std::uint16_t>(1 + ((more >> 3) & 1))}));
  if (photometric == 3 && bits <= 8) {
    std::vector<std::uint16_t> map(3u << bits);
    for (auto& v : map) v = static_cast<std::uint16_t>(in.Unsigned(1) * 257);
    entries.push_back(Short(320, map));
  }
  return Write(std::move(entries), in.Rest());
}

// Anonymous in-memory files the converter opens by name.
struct Scratch {
  int fd = ::memfd_create("tiff2bmp_fuzz", 0);
  std::string path = "/proc/self/fd/" + std::to_string(fd);
};

void Convert(const std::uint8_t* data, std::size_t size) {
  static const Scratch tiff, bmp;
  if (tiff.fd < 0 || bmp.fd < 0 || ::ftruncate(tiff.fd, 0) != 0) return;
  if (size > 0 && ::pwrite(tiff.fd, data, size, 0) != static_cast<ssize_t>(size)) return;
  if (Tiff2Bmp(tiff.path.c_str(), bmp.path.c_str()) != 0) return;
  std::ifstream in(bmp.path, std::ios::binary);
  const std::vector<std::uint8_t> written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto decoded = fd::image::DecodeBitmap(written);
  if (decoded.code != 0 || decoded.image.width <= 0 || decoded.image.height <= 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Convert(data, size);
  fuzzing::FuzzInput in(data, size);
  const auto built = BuildTiff(in);
  Convert(built.data(), built.size());
  return 0;
}
