// Fuzz entry for whole form files: header check, counts, size limits, record arrays and
// font reference rewriting, as a session loads them.
// Each input is loaded as it is, and once more with its binary header repaired: the
// counts cut to the records the bytes really hold and the check value recomputed. A
// mutated header nearly always fails its check value; the repaired copy carries the
// mutations on to the arrays and the font rewriting.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "formdraw/form/binary_part.h"
#include "formdraw/form/form_data.h"

namespace {

using namespace fmdraw::form;

void Load(std::span<const uint8_t> bytes) {
  FormData form;
  if (LoadForm(bytes, form) == 0) {
    for (int kind = 0; kind < kFileKinds; ++kind) {
      if (form.counts[kind] < 0 ||
          form.arrays[kind].size() != static_cast<std::size_t>(form.counts[kind]) * kRecordSize[kind])
        __builtin_trap();
    }
  }
  (void)ScanForm(bytes, 0);
  (void)ScanForm(bytes, 1);
  FormData unlimited;
  (void)LoadForm(bytes, unlimited, {.rewriteFonts = false, .enforceBlockLimit = false});
}

void Put16(std::vector<uint8_t>& b, std::size_t at, int v) {
  b[at] = static_cast<uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

// The input with counts that fit the bytes after the header and a matching check value;
// empty when the text part does not parse or no header follows it.
std::vector<uint8_t> Repaired(std::span<const uint8_t> bytes) {
  const auto text = ParseTextPart(bytes);
  const std::size_t at = text.part.binaryOffset;
  if (text.error != 0 || at + kHeaderSize > bytes.size()) return {};
  std::vector<uint8_t> out(bytes.begin(), bytes.end());
  std::size_t left = bytes.size() - at - kHeaderSize;
  for (int kind = 0; kind < kFileKinds; ++kind) {
    const std::size_t at16 = at + 2 * kind;
    const int stated = static_cast<int16_t>(out[at16] | (out[at16 + 1] << 8));
    const int fits = static_cast<int>(std::min<std::size_t>(left / kRecordSize[kind], 32767));
    const int count = std::clamp(stated, 0, fits);
    Put16(out, at16, count);
    left -= static_cast<std::size_t>(count) * kRecordSize[kind];
  }
  const auto check = HeaderCheckValue(std::span<const uint8_t>(out).subspan(at, kHeaderCheckOffset),
                                      kCheckDivisor);
  Put16(out, at + kHeaderCheckOffset, check);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  Load(bytes);
  if (const auto fixed = Repaired(bytes); !fixed.empty()) Load(fixed);
  return 0;
}
