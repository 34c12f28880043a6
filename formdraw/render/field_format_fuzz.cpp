// Fuzz entry for field formatting: the input splits at its first NUL into a value and a
// format; both may hold any bytes, broken double-byte characters included.
#include <cstdint>
#include <string_view>

#include "formdraw/render/field_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view all(reinterpret_cast<const char*>(data), size);
  const auto nul = all.find('\0');
  const auto value = all.substr(0, nul);
  const auto format = nul == std::string_view::npos ? std::string_view{} : all.substr(nul + 1);
  (void)fd::render::FormatFieldValue(value, format, {});
  (void)fd::render::FormatFieldValue(value, format, {.cutLongText = true, .padCharacter = '*'});
  return 0;
}
