// Fuzz entry for the browse-file reader: the listing of every form, and look-ups by item
// and sub-item name in the first forms. Whatever the reader hands out lies inside the
// input.
// Each input is read twice: as a whole file, and as the body after a built 616-byte file
// header (which the reader skips), so that the input's first four bytes are the form
// count and mutations land on the counts, lengths and names the reader walks.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "formdraw/fields/browse_file.h"

namespace {

using namespace fmdraw::fields;

void ReadAll(std::span<const uint8_t> file) {
  auto inside = [&](std::span<const uint8_t> part) {
    return part.empty() || (part.data() >= file.data() && part.data() + part.size() <= file.data() + file.size());
  };
  const auto all = ListBrowseItems(file, 0);
  if (all.error == 0 && all.lines < 0) __builtin_trap();
  const std::string_view sub = "Sub";
  for (int32_t form = 1; form <= 3; ++form) {
    (void)ListBrowseItems(file, form);
    for (std::string_view item : {"item", "ITEM", "\x83\x41"}) {
      const auto found = FindBrowseData(file, form, item);
      if (found.result == kBrowseFound && !inside(found.data)) __builtin_trap();
      const auto foundSub = FindBrowseData(file, form, item, &sub);
      if (foundSub.result == kBrowseFound && !inside(foundSub.data)) __builtin_trap();
    }
  }
  // Every item the walk hands out lies inside the file.
  (void)WalkBrowseItems(file, BrowseFormCount(file), [&](const BrowseItem& item) {
    if (!inside(item.data)) __builtin_trap();
    for (const auto& s : item.subItems)
      if (!inside(s.data)) __builtin_trap();
    return true;
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadAll(std::span<const uint8_t>(data, size));
  std::vector<uint8_t> withHeader(kBrowseFormCountOffset, 0);
  withHeader.insert(withHeader.end(), data, data + size);
  ReadAll(withHeader);
  return 0;
}
