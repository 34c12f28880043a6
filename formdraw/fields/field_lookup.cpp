#include "formdraw/fields/field_lookup.h"

#include <algorithm>
#include <cstring>

#include "formdraw/session/units.h"

namespace fmdraw::fields {

namespace {

using form::GetI16;

// Where each field kind keeps its name and its four coordinate words.
struct FieldLayout {
  std::size_t nameOffset;
  std::size_t coordOffset;
  bool sizeStored;  // x, y, width, height rather than two corners
};

FieldLayout LayoutOf(int recordKind) {
  switch (recordKind) {
    case form::kBarcodeField: return {22, 14, false};
    case form::kImageField: return {16, 8, false};
    default: return {68, 4, true};  // data and list fields
  }
}

}  // namespace

std::optional<int> RecordKindOf(int32_t lookupKind) {
  switch (static_cast<FieldKind>(lookupKind)) {
    case FieldKind::kData: return form::kDataField;
    case FieldKind::kBarcode: return form::kBarcodeField;
    case FieldKind::kList: return form::kListField;
    case FieldKind::kImage: return form::kImageField;
    default: return std::nullopt;
  }
}

const uint8_t* FindField(const form::FormData& form, int recordKind, std::string_view name) {
  if (name.size() > kFieldNameBytes) return nullptr;
  const std::size_t size = form::kRecordSize[recordKind];
  // The count and the array agree after loading; the array size is the safe bound.
  const std::size_t count = std::min<std::size_t>(
      std::max<int16_t>(form.counts[recordKind], 0), form.arrays[recordKind].size() / size);
  const std::size_t nameOffset = LayoutOf(recordKind).nameOffset;
  const form::StoredNameMatcher matcher(name, kFieldNameBytes);
  for (std::size_t i = 0; i < count; ++i) {
    const uint8_t* record = form.arrays[recordKind].data() + i * size;
    if (matcher.Matches(record + nameOffset)) return record;
  }
  return nullptr;
}

FieldRect FieldRectangle(int recordKind, const uint8_t* record) {
  const FieldLayout layout = LayoutOf(recordKind);
  const uint8_t* c = record + layout.coordOffset;
  int32_t a = GetI16(c), b = GetI16(c + 2), x2 = GetI16(c + 4), y2 = GetI16(c + 6);
  if (layout.sizeStored) {
    x2 += a;
    y2 += b;
  }
  using session::TwipsToHundredths;
  return {TwipsToHundredths(a), TwipsToHundredths(b), TwipsToHundredths(x2), TwipsToHundredths(y2)};
}

int32_t FieldNumber(const uint8_t* record) { return GetI16(record + 2); }

int32_t ListColumns(const uint8_t* record) { return std::max<int32_t>(GetI16(record + 12), 0); }
int32_t ListRows(const uint8_t* record) { return std::max<int32_t>(GetI16(record + 14), 0); }

}  // namespace fmdraw::fields
