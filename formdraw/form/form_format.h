// Constants of the form file (.fed): record kinds, record sizes, header layout, limits
// and the readers' result codes. The format is described in docs/formats/fed.md.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace fmdraw::form {

// Record kinds of the binary part, in file order (kind 12, the font table, lives only
// in memory and comes from the 4xx lines of the text part).
enum Kind : int {
  kOrder = 0,
  kLine = 1,
  kBox = 2,
  kText = 3,
  kImage = 4,
  kEllipse = 5,
  kDataField = 6,
  kBarcodeField = 7,
  kArc = 8,
  kListField = 9,
  kPolygon = 10,
  kImageField = 11,
  kFontTable = 12,
};

inline constexpr int kFileKinds = 12;   // arrays stored in the file
inline constexpr int kAllKinds = 13;    // plus the in-memory font table
inline constexpr std::array<int, kAllKinds> kRecordSize = {6,  26, 32, 64, 154, 30, 92,
                                                           46, 40, 92, 66, 36,  50};

inline constexpr std::size_t kHeaderSize = 40;
inline constexpr std::size_t kHeaderCheckOffset = 38;
inline constexpr std::size_t kHeaderRandomOffset = 26;
inline constexpr int kHeaderRandomWords = 6;
inline constexpr int kCheckDivisor = 54;           // variant 0
inline constexpr int kCheckDivisorAlternative = 53;  // any other variant

inline constexpr std::size_t kMaxLineBytes = 511;    // longer lines are read as several
inline constexpr std::size_t kMaxHangingBytes = 256;
inline constexpr std::size_t kHangingListSize = 257;  // with the terminating NUL
inline constexpr std::size_t kMaxFaceBytes = 32;
inline constexpr std::size_t kFontEntry38 = 38;
inline constexpr std::size_t kMaxBlockBytes = 65535;  // one record array in a session
inline constexpr std::size_t kFormStringBuffer = 512;

inline constexpr int kMaxFormNumbers = 400;
inline constexpr int kMaxSlots = 20;
inline constexpr std::size_t kMaxFormNameBytes = 128;

// Results of the readers: 0 or one of these.
inline constexpr int kErrFile = -1;       // unopenable, short read, malformed line, no "99"
inline constexpr int kErrShortHeader = -2;
inline constexpr int kErrCheck = -3;      // check value, or an array over its size limit
inline constexpr int kErrMemory = -9;

// Offsets of the font reference in the records that name a font-table entry.
inline constexpr std::size_t kTextFontOffset = 10;
inline constexpr std::size_t kDataFieldFontOffset = 12;
inline constexpr std::size_t kListFieldFontOffset = 16;

// Image record: word 11 holds the number of the temporary converted copy.
inline constexpr std::size_t kImageTempWordOffset = 22;

// A name compared with the NUL-padded names of records (field names): a stored name
// matches when its bytes up to the first NUL equal the name, letter case included. Field
// look-ups run this over every record, so the first eight bytes (with the terminating
// NUL of a shorter name) are compared as one word, and only a name that agrees there is
// compared further.
// Requires: `bytes` is at least 8 and the name holds no NUL byte.
class StoredNameMatcher {
 public:
  StoredNameMatcher(std::string_view name, std::size_t bytes) : name_(name), bytes_(bytes) {
    const std::size_t head = std::min<std::size_t>(name.size() + 1, 8);
    unsigned char key[8] = {};
    std::memcpy(key, name.data(), std::min<std::size_t>(name.size(), 8));
    std::memcpy(&key_, key, 8);
    std::memset(key, 0, 8);
    std::memset(key, 0xFF, head);
    std::memcpy(&mask_, key, 8);
  }
  [[nodiscard]] bool Matches(const uint8_t* stored) const {
    if (name_.size() > bytes_) return false;
    uint64_t head;
    std::memcpy(&head, stored, 8);
    if ((head & mask_) != key_) return false;
    if (name_.size() < 8) return true;
    return std::memcmp(stored + 8, name_.data() + 8, name_.size() - 8) == 0 &&
           (name_.size() == bytes_ || stored[name_.size()] == 0);
  }

 private:
  std::string_view name_;
  std::size_t bytes_;
  uint64_t key_ = 0, mask_ = 0;
};

inline int16_t GetI16(const uint8_t* p) {
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}
inline void PutI16(uint8_t* p, int v) {
  p[0] = static_cast<uint8_t>(v & 0xFF);
  p[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}
inline int32_t GetI32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                              (static_cast<uint32_t>(p[2]) << 16) |
                              (static_cast<uint32_t>(p[3]) << 24));
}
inline void PutI32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>((v >> (8 * i)) & 0xFF);
}

}  // namespace fmdraw::form
