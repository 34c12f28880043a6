#include "formdraw/render/field_lookup.h"

#include <algorithm>
#include <cstring>

#include "formdraw/form/form_format.h"

namespace fd::render {

namespace {

constexpr std::size_t kNameOffset = 68;
constexpr std::size_t kNameBytes = 20;
constexpr std::size_t kFormatOffset = 36;
constexpr std::size_t kFormatBytes = 32;

struct Layout {
  int kind;
  std::size_t continues;  // continuation flag byte
  std::size_t used;       // used flag of a continuing record
};

std::string FormatBytes(const std::uint8_t* r) {
  const int n = std::clamp<int>(fmdraw::form::GetI16(r), 0, kFormatBytes);
  return {reinterpret_cast<const char*>(r + kFormatOffset), static_cast<std::size_t>(n)};
}

std::optional<FoundField> Find(const fmdraw::session::WorkArea& area, std::string_view name,
                               const Layout& l) {
  const fmdraw::form::FormData* form = area.forms.CurrentForm();
  if (form == nullptr || name.empty()) return std::nullopt;
  const std::size_t size = fmdraw::form::kRecordSize[l.kind];
  const int count = static_cast<int>(form->arrays[l.kind].size() / size);
  const fmdraw::form::StoredNameMatcher matcher(name, kNameBytes);
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* r = form->Record(l.kind, i);
    if (!matcher.Matches(r + kNameOffset)) continue;
    FoundField found{i, {r, size}, FormatBytes(r)};
    for (int j = i; j + 1 < count && form->Record(l.kind, j)[l.continues] == 1; ++j) {
      const std::uint8_t* next = form->Record(l.kind, j + 1);
      if (next[l.used] != 1) break;
      found.format += FormatBytes(next);
    }
    return found;
  }
  return std::nullopt;
}

}  // namespace

std::optional<FoundField> FindDataField(const fmdraw::session::WorkArea& area, std::string_view name) {
  return Find(area, name, {fmdraw::form::kDataField, 27, 25});
}

std::optional<FoundField> FindListField(const fmdraw::session::WorkArea& area, std::string_view name) {
  return Find(area, name, {fmdraw::form::kListField, 31, 29});
}

}  // namespace fd::render
