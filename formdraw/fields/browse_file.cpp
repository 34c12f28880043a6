#include "formdraw/fields/browse_file.h"

#include <cstring>
#include <optional>

#include "formdraw/form/form_format.h"
#include "platform/codepage.h"

namespace fmdraw::fields {

namespace {

// A read position inside the file; every take checks the bytes left first.
class Cursor {
 public:
  explicit Cursor(std::span<const uint8_t> file) : file_(file) {}
  void Seek(std::size_t pos) { pos_ = pos; }
  std::optional<std::span<const uint8_t>> Take(int64_t n) {
    if (n < 0 || static_cast<uint64_t>(n) > file_.size() - pos_) return std::nullopt;
    auto bytes = file_.subspan(pos_, static_cast<std::size_t>(n));
    pos_ += static_cast<std::size_t>(n);
    return bytes;
  }

 private:
  std::span<const uint8_t> file_;
  std::size_t pos_ = 0;
};

int32_t I32(std::span<const uint8_t> bytes, std::size_t offset) {
  return form::GetI32(bytes.data() + offset);
}

std::string_view CutAtNul(std::span<const uint8_t> bytes) {
  const char* p = reinterpret_cast<const char*>(bytes.data());
  return {p, strnlen(p, bytes.size())};
}

bool ReadSubItems(Cursor& in, int32_t count, BrowseItem& item) {
  if (count < 0) return false;
  for (int32_t i = 0; i < count; ++i) {
    auto header = in.Take(kBrowseSubItemHeaderBytes);
    if (!header) return false;
    auto data = in.Take(I32(*header, kBrowseSubItemDataLengthOffset));
    if (!data) return false;
    item.subItems.push_back({CutAtNul(header->first(kBrowseSubItemNameBytes)), *data});
  }
  return true;
}

bool ReadItem(Cursor& in, BrowseItem& item) {
  auto header = in.Take(kBrowseItemHeaderBytes);
  if (!header) return false;
  auto name = in.Take(I32(*header, kBrowseNameLengthOffset));
  if (!name) return false;
  auto data = in.Take(I32(*header, kBrowseDataLengthOffset));
  if (!data) return false;
  item.name = CutAtNul(*name);
  item.data = *data;
  item.subItems.clear();
  return ReadSubItems(in, I32(*header, kBrowseSubItemCountOffset), item);
}

// Walks one form's items; false when the file is damaged, `stop` set when the visitor
// asked to stop.
bool WalkForm(Cursor& in, int32_t formNo, const BrowseVisitor& visit, bool& stop) {
  auto header = in.Take(kBrowseFormHeaderBytes);
  if (!header) return false;
  const int32_t items = I32(*header, kBrowseItemCountOffset);
  if (items < 0) return false;
  BrowseItem item;
  item.formNo = formNo;
  for (int32_t i = 1; i <= items && !stop; ++i) {
    item.itemNo = i;
    if (!ReadItem(in, item)) return false;
    stop = !visit(item);
  }
  return true;
}

}  // namespace

int32_t BrowseFormCount(std::span<const uint8_t> file) {
  if (file.size() < kBrowseFileHeaderBytes) return kBrowseCorrupt;
  const int32_t count = I32(file, kBrowseFormCountOffset);
  return count < 0 ? kBrowseCorrupt : count;
}

int WalkBrowseItems(std::span<const uint8_t> file, int32_t lastForm, const BrowseVisitor& visit) {
  if (BrowseFormCount(file) < 0) return kBrowseCorrupt;
  Cursor in(file);
  in.Seek(kBrowseFileHeaderBytes);
  bool stop = false;
  for (int32_t f = 1; f <= lastForm && !stop; ++f)
    if (!WalkForm(in, f, visit, stop)) return kBrowseCorrupt;
  return 0;
}

bool BrowseNameEquals(std::string_view stored, std::string_view asked) {
  if (stored.size() != asked.size()) return false;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    const auto a = static_cast<unsigned char>(stored[i]);
    const auto b = static_cast<unsigned char>(asked[i]);
    if (platform::IsCp932LeadByte(a) && i + 1 < stored.size()) {
      // Both bytes of a double-byte character compare exactly (a trail byte may look
      // like an ASCII letter).
      if (a != b || stored[i + 1] != asked[i + 1]) return false;
      ++i;
      continue;
    }
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    if (lower(a) != lower(b)) return false;
  }
  return true;
}

BrowseListing ListBrowseItems(std::span<const uint8_t> file, int32_t formIndex) {
  BrowseListing out;
  const int32_t count = BrowseFormCount(file);
  if (count < 0) return {kBrowseCorrupt, {}, 0};
  if (formIndex < 0 || formIndex > count) return {kBrowseBadArgument, {}, 0};
  const int32_t last = formIndex == 0 ? count : formIndex;
  out.error = WalkBrowseItems(file, last, [&](const BrowseItem& item) {
    if (formIndex != 0 && item.formNo != formIndex) return true;
    out.text += std::to_string(item.formNo) + "," + std::to_string(item.itemNo) + "," +
                std::string(item.name) + "\r\n";
    ++out.lines;
    return true;
  });
  return out;
}

BrowseData FindBrowseData(std::span<const uint8_t> file, int32_t formIndex,
                          std::string_view itemName, const std::string_view* subItemName) {
  const int32_t count = BrowseFormCount(file);
  if (count < 0) return {kBrowseCorrupt, {}};
  if (formIndex < 1 || formIndex > count) return {kBrowseBadArgument, {}};
  BrowseData out;
  int walk = WalkBrowseItems(file, formIndex, [&](const BrowseItem& item) {
    if (item.formNo != formIndex || !BrowseNameEquals(item.name, itemName)) return true;
    if (subItemName == nullptr) {
      out = {kBrowseFound, item.data};
      return false;
    }
    // Only the sub-items of the first item of that name are searched.
    for (const auto& sub : item.subItems)
      if (sub.name == *subItemName) {
        out = {kBrowseFound, sub.data};
        break;
      }
    return false;
  });
  if (walk != 0) return {kBrowseCorrupt, {}};
  return out;
}

}  // namespace fmdraw::fields
