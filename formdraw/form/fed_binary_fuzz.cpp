// Fuzz entry for whole form files: header check, counts, size limits, record arrays and
// font reference rewriting, as a session loads them.
#include <cstddef>
#include <cstdint>

#include "formdraw/form/form_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  fmdraw::form::FormData form;
  (void)fmdraw::form::LoadForm(bytes, form);
  (void)fmdraw::form::ScanForm(bytes, 1);
  fmdraw::form::FormData unlimited;
  (void)fmdraw::form::LoadForm(bytes, unlimited, {.rewriteFonts = false, .enforceBlockLimit = false});
  return 0;
}
