// A whole form read into memory: text part, counts, record arrays and font table, with
// font references rewritten and image copy numbers cleared. This is what a form store
// slot holds and what the form tool dumps. Owns its bytes.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formdraw/form/binary_part.h"

namespace fmdraw::form {

struct FormData {
  TextPart text;
  Counts counts{};
  std::array<std::vector<uint8_t>, kFileKinds> arrays;
  std::array<int16_t, kHeaderRandomWords> headerRandom{};  // the writer's random words, as read

  [[nodiscard]] const uint8_t* Record(int kind, int index) const {
    return arrays[kind].data() + static_cast<std::size_t>(index) * kRecordSize[kind];
  }
  [[nodiscard]] uint8_t* Record(int kind, int index) {
    return arrays[kind].data() + static_cast<std::size_t>(index) * kRecordSize[kind];
  }
};

struct LoadOptions {
  bool rewriteFonts = true;   // false keeps identifiers (the form tool's dump)
  bool enforceBlockLimit = true;  // arrays over 65,535 bytes fail with kErrCheck
};

// Reads a form as a session loads it: scan (variant 0), size limits, arrays, font
// references, image copy numbers cleared. Returns 0 or a reader code.
int LoadForm(std::span<const uint8_t> file, FormData& out, const LoadOptions& options = {});

}  // namespace fmdraw::form
