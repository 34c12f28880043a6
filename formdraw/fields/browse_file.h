// Reading browse files: saved field values, form by form (the layout is described in
// docs/formats/browse.md). The reader walks the file from a byte span and checks every
// count and length against the bytes that are really there, so a damaged file gives
// kBrowseCorrupt, never a read past its end or an allocation larger than the file.
// Pure functions; no I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fmdraw::fields {

inline constexpr std::size_t kBrowseFileHeaderBytes = 620;
inline constexpr std::size_t kBrowseFormCountOffset = 616;
inline constexpr std::size_t kBrowseFormHeaderBytes = 32;
inline constexpr std::size_t kBrowseItemCountOffset = 28;
inline constexpr std::size_t kBrowseItemHeaderBytes = 28;
inline constexpr std::size_t kBrowseNameLengthOffset = 0;
inline constexpr std::size_t kBrowseDataLengthOffset = 4;
inline constexpr std::size_t kBrowseSubItemCountOffset = 24;
inline constexpr std::size_t kBrowseSubItemHeaderBytes = 28;
inline constexpr std::size_t kBrowseSubItemNameBytes = 20;
inline constexpr std::size_t kBrowseSubItemDataLengthOffset = 24;

// Results of the browse calls.
inline constexpr int kBrowseFound = 1;
inline constexpr int kBrowseNotFound = 0;
inline constexpr int kBrowseCorrupt = -1;     // unopenable, short or inconsistent file
inline constexpr int kBrowseWriteFailed = -2;
inline constexpr int kBrowseBadArgument = -4;

struct BrowseSubItem {
  std::string_view name;  // up to 20 bytes, cut at the first NUL
  std::span<const uint8_t> data;
};

struct BrowseItem {
  int32_t formNo = 0;  // from 1, in file order
  int32_t itemNo = 0;  // from 1 within its form
  std::string_view name;  // name bytes, cut at the first NUL
  std::span<const uint8_t> data;
  std::vector<BrowseSubItem> subItems;
};

// The number of forms, or kBrowseCorrupt for a short header or a negative count.
[[nodiscard]] int32_t BrowseFormCount(std::span<const uint8_t> file);

// Calls `visit` for each item of forms 1 to lastForm in file order, until it returns
// false. Returns 0, or kBrowseCorrupt when the walk meets a damaged part of the file.
using BrowseVisitor = std::function<bool(const BrowseItem&)>;
[[nodiscard]] int WalkBrowseItems(std::span<const uint8_t> file, int32_t lastForm,
                                  const BrowseVisitor& visit);

// Item names: single-byte letters compare without regard to case, double-byte (CP932)
// characters exactly.
[[nodiscard]] bool BrowseNameEquals(std::string_view stored, std::string_view asked);

// The lines "form,item,name\r\n" of the asked form (every form for 0). `error` is 0,
// kBrowseCorrupt, or kBrowseBadArgument for a form number outside 0 to the count.
struct BrowseListing {
  int error = 0;
  std::string text;
  int32_t lines = 0;
};
[[nodiscard]] BrowseListing ListBrowseItems(std::span<const uint8_t> file, int32_t formIndex);

// The data of the first item of form formIndex (from 1) with that name, or of its
// sub-item when `subItemName` is given (searched among that item's sub-items only).
// `result` is kBrowseFound, kBrowseNotFound, kBrowseCorrupt or kBrowseBadArgument.
struct BrowseData {
  int result = kBrowseNotFound;
  std::span<const uint8_t> data;
};
[[nodiscard]] BrowseData FindBrowseData(std::span<const uint8_t> file, int32_t formIndex,
                                        std::string_view itemName,
                                        const std::string_view* subItemName = nullptr);

}  // namespace fmdraw::fields
