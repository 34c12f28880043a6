// Finding a named field in a loaded form and reading its place: the four field kinds of
// the lookup calls (1 data, 2 barcode, 3 list, 4 image = record kinds 6, 7, 9, 11), the
// 20-byte NUL-padded name of each, and the corners in 0.01 mm. Names compare byte for
// byte, letter case included. Pure functions over a FormData; no session.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "formdraw/form/form_data.h"

namespace fmdraw::fields {

enum class FieldKind : int32_t { kData = 1, kBarcode = 2, kList = 3, kImage = 4 };

inline constexpr std::size_t kFieldNameBytes = 20;

// The record kind of a lookup kind; nullopt outside 1 to 4.
[[nodiscard]] std::optional<int> RecordKindOf(int32_t lookupKind);

// The first record of `recordKind` whose stored name equals `name`, or nullptr.
[[nodiscard]] const uint8_t* FindField(const form::FormData& form, int recordKind,
                                       std::string_view name);

// left, top, right, bottom in 0.01 mm. Data and list fields store x, y, width and height;
// barcode and image fields store both corners, returned as stored.
using FieldRect = std::array<int32_t, 4>;
[[nodiscard]] FieldRect FieldRectangle(int recordKind, const uint8_t* record);

// Word 1 of a field record.
[[nodiscard]] int32_t FieldNumber(const uint8_t* record);

// Columns and rows of a list field record (words 6 and 7; negative counts read as 0).
[[nodiscard]] int32_t ListColumns(const uint8_t* record);
[[nodiscard]] int32_t ListRows(const uint8_t* record);

}  // namespace fmdraw::fields
