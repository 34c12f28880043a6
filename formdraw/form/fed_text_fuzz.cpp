// Fuzz entry for the text part of form files: line cutting, field splitting, record
// codes, font lines and the getters that scan lines.
#include <cstddef>
#include <cstdint>

#include "formdraw/form/form_info.h"
#include "formdraw/form/text_part.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  auto result = fmdraw::form::ParseTextPart(bytes);
  if (result.error == 0 && result.part.binaryOffset > size) __builtin_trap();
  (void)fmdraw::form::FormVersion(bytes);
  (void)fmdraw::form::FormPaperSize(bytes);
  for (int kind = 4; kind <= 6; ++kind) (void)fmdraw::form::FormString(bytes, kind);
  return 0;
}
