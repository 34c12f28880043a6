#include "formdraw/form/binary_part.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace fmdraw::form {

int16_t HeaderCheckValue(std::span<const uint8_t> header38, int divisor) {
  int32_t sum = 0;
  std::size_t end = std::min(header38.size(), kHeaderCheckOffset);
  for (std::size_t off = 0; off + 2 <= end; off += 2)
    sum += GetI16(&header38[off]);
  return static_cast<int16_t>(sum % divisor);
}

ScanResult ScanForm(std::span<const uint8_t> file, int variant) {
  ScanResult result;
  TextPartResult text = ParseTextPart(file);
  if (text.error != 0) {
    result.error = text.error;
    return result;
  }
  result.text = std::move(text.part);
  std::size_t at = result.text.binaryOffset;
  if (file.size() < at || file.size() - at < kHeaderSize) {
    result.error = kErrShortHeader;
    return result;
  }
  const uint8_t* header = &file[at];
  for (int k = 0; k < kFileKinds; ++k) result.counts[k] = GetI16(header + 2 * k);
  result.counts[kFontTable] = static_cast<int16_t>(
      std::min<int32_t>(result.text.otherRecordLines, INT16_MAX));
  int16_t stored = GetI16(header + kHeaderCheckOffset);
  if (HeaderCheckValue({header, kHeaderCheckOffset}, CheckDivisor(variant)) != stored) {
    result.error = kErrCheck;
    return result;
  }
  result.recordsOffset = at + kHeaderSize;
  return result;
}

int ReadArrays(std::span<const uint8_t> file, std::size_t offset,
               std::span<const int16_t> counts12, const std::array<uint8_t*, kFileKinds>& dest) {
  std::size_t at = offset;
  for (int k = 0; k < kFileKinds; ++k) {
    int count = counts12[k];
    if (count < 0) return kErrFile;
    std::size_t bytes = static_cast<std::size_t>(count) * kRecordSize[k];
    if (at > file.size() || file.size() - at < bytes) return kErrFile;
    if (bytes > 0 && dest[k] != nullptr) std::memcpy(dest[k], &file[at], bytes);
    at += bytes;
  }
  return 0;
}

void RewriteFontReferences(int kind, uint8_t* records, int count,
                           const std::vector<FontLine>& fonts) {
  std::size_t offset = 0;
  switch (kind) {
    case kText: offset = kTextFontOffset; break;
    case kDataField: offset = kDataFieldFontOffset; break;
    case kListField: offset = kListFieldFontOffset; break;
    default: return;
  }
  if (records == nullptr) return;
  for (int i = 0; i < count; ++i) {
    uint8_t* ref = records + static_cast<std::size_t>(i) * kRecordSize[kind] + offset;
    int16_t id = GetI16(ref);
    int position = -1;
    for (std::size_t f = 0; f < fonts.size(); ++f) {
      if (fonts[f].id == id) {
        position = static_cast<int>(f);
        break;
      }
    }
    PutI16(ref, position);
  }
}

void WriteFontEntry38(const FontLine& font, uint8_t* entry38) {
  std::memset(entry38, 0, kFontEntry38);
  PutI16(entry38, font.first);
  std::size_t length = std::min(font.face.size(), kMaxFaceBytes);
  PutI16(entry38 + 2, static_cast<int>(length));
  std::memcpy(entry38 + 4, font.face.data(), length);
  entry38[36] = static_cast<uint8_t>(font.pitchFamily);
  entry38[37] = static_cast<uint8_t>(font.charset);
}

}  // namespace fmdraw::form
