// Test support (header only): browse files written byte by byte from the documented
// layout (docs/formats/browse.md). The bytes the readers skip are filled with letters,
// so a reader that takes them for counts or lengths is caught.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fmdraw::fields::testing {

struct BrowseSub {
  std::string name, data;
};
struct BrowseItemSpec {
  std::string name, data;
  std::vector<BrowseSub> subs;
};
using BrowseFormSpec = std::vector<BrowseItemSpec>;

inline void PutI32(std::string& s, std::size_t at, int32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
}

// A 620-byte file header (form count at 616), then per form a 32-byte header (item
// count at 28), per item a 28-byte header (name length, data length, sub-item count at
// 24) with its name and data, per sub-item a 28-byte header (20-byte name, data length
// at 24) with its data.
inline std::string BuildBrowse(const std::vector<BrowseFormSpec>& forms) {
  std::string s(620, 'h');
  PutI32(s, 616, static_cast<int32_t>(forms.size()));
  for (const auto& form : forms) {
    std::string fh(32, 'f');
    PutI32(fh, 28, static_cast<int32_t>(form.size()));
    s += fh;
    for (const auto& item : form) {
      std::string ih(28, 'i');
      PutI32(ih, 0, static_cast<int32_t>(item.name.size()));
      PutI32(ih, 4, static_cast<int32_t>(item.data.size()));
      PutI32(ih, 24, static_cast<int32_t>(item.subs.size()));
      s += ih + item.name + item.data;
      for (const auto& sub : item.subs) {
        std::string sh(28, '\0');
        sh.replace(0, sub.name.size(), sub.name);
        PutI32(sh, 24, static_cast<int32_t>(sub.data.size()));
        s += sh + sub.data;
      }
    }
  }
  return s;
}

}  // namespace fmdraw::fields::testing
