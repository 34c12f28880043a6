// Fuzz entry for the browse-file reader: the listing of every form, and look-ups by item
// and sub-item name in the first forms. Nothing may read past the input or allocate more
// than the input's size suggests.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "formdraw/fields/browse_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace fmdraw::fields;
  std::span<const uint8_t> file(data, size);
  (void)ListBrowseItems(file, 0);
  const std::string_view sub = "Sub";
  for (int32_t form = 1; form <= 3; ++form) {
    (void)ListBrowseItems(file, form);
    (void)FindBrowseData(file, form, "item");
    (void)FindBrowseData(file, form, "item", &sub);
  }
  return 0;
}
