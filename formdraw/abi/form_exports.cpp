// Exports of the form-file family: getters, counters, readers, the writer, caller memory
// blocks and form registration.
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "formdraw/abi/abi_guard.h"
#include "formdraw/form/binary_part.h"
#include "formdraw/form/file_search.h"
#include "formdraw/form/form_info.h"
#include "formdraw/form/form_writer.h"
#include "formdraw/session/session_record.h"

using namespace fmdraw;
using fmdraw::abi::Guarded;

namespace {

std::optional<std::vector<uint8_t>> ReadNamed(const char* fileName) {
  if (fileName == nullptr || *fileName == '\0') return std::nullopt;
  return form::ReadNamedFile(fileName);
}

// The 38-byte font table and the hanging list of a parsed text part, within the room
// the caller's counts give.
void FillFontTable(const form::TextPart& text, int16_t room, void* table38) {
  if (table38 == nullptr) return;
  auto* out = static_cast<uint8_t*>(table38);
  std::size_t n = std::min<std::size_t>(text.fonts.size(), room > 0 ? room : 0);
  for (std::size_t i = 0; i < n; ++i) form::WriteFontEntry38(text.fonts[i], out + i * form::kFontEntry38);
}

// Reads the text part, then the arrays into `dest`, then rewrites font references.
int32_t ReadInto(const char* fileName, const int16_t* counts, std::array<uint8_t*, 12> dest,
                 void* fontTable38, char* hanging257) {
  if (counts == nullptr) return form::kErrFile;
  auto bytes = ReadNamed(fileName);
  if (!bytes) return form::kErrFile;
  auto text = form::ParseTextPart(*bytes);
  if (text.error != 0) return form::kErrFile;
  std::size_t offset = text.part.binaryOffset + form::kHeaderSize;
  if (form::ReadArrays(*bytes, offset, {counts, 12}, dest) != 0) return form::kErrFile;
  for (int kind : {form::kText, form::kDataField, form::kListField})
    form::RewriteFontReferences(kind, dest[kind], counts[kind], text.part.fonts);
  FillFontTable(text.part, counts[form::kFontTable], fontTable38);
  if (hanging257 != nullptr) {
    std::memset(hanging257, 0, form::kHangingListSize);
    std::memcpy(hanging257, text.part.hanging.data(),
                std::min(text.part.hanging.size(), form::kMaxHangingBytes));
  }
  return 0;
}

}  // namespace

extern "C" {

FMDRAW_API int32_t FmGetFormVersion(const char* fileName) {
  return Guarded(-1, [&]() -> int32_t {
    auto bytes = ReadNamed(fileName);
    return bytes ? form::FormVersion(*bytes) : -1;
  });
}

FMDRAW_API int32_t FmGetPaperSize(const char* fileName) {
  return Guarded(-1, [&]() -> int32_t {
    auto bytes = ReadNamed(fileName);
    return bytes ? form::FormPaperSize(*bytes) : -1;
  });
}

FMDRAW_API int32_t FmGetOrientation(const char* fileName) {
  return Guarded(-1, [&]() -> int32_t {
    auto bytes = ReadNamed(fileName);
    return bytes ? form::FormOrientation(*bytes) : -1;
  });
}

FMDRAW_API int32_t FmGetFormLong(int32_t kind, const char* fileName, int32_t* out) {
  return Guarded(-1, [&]() -> int32_t {
    int32_t value = 0;
    switch (kind) {
      case 1: value = FmGetFormVersion(fileName); break;
      case 2: value = FmGetPaperSize(fileName); break;
      case 3: value = FmGetOrientation(fileName); break;
      default: return -5;
    }
    if (out != nullptr) *out = value;
    return value < 1 ? value : 0;
  });
}

FMDRAW_API int32_t FmGetFormString(int32_t kind, const char* fileName, char* out512) {
  return Guarded(-1, [&]() -> int32_t {
    if (kind < 4 || kind > 6) return -5;
    if (out512 != nullptr) out512[0] = '\0';
    auto bytes = ReadNamed(fileName);
    if (!bytes) return -1;
    std::string value = form::FormString(*bytes, kind);
    if (out512 != nullptr) {
      std::size_t n = std::min(value.size(), form::kFormStringBuffer - 1);
      std::memcpy(out512, value.data(), n);
      out512[n] = '\0';
    }
    return 0;
  });
}

FMDRAW_API int32_t ObjectNoGetV4(int32_t variant, const char* fileName, int16_t* counts13) {
  return Guarded(-1, [&]() -> int32_t {
    auto bytes = ReadNamed(fileName);
    if (!bytes) return -1;
    auto scan = form::ScanForm(*bytes, variant);
    if (counts13 != nullptr && (scan.error == 0 || scan.error == form::kErrCheck))
      std::memcpy(counts13, scan.counts.data(), sizeof(int16_t) * form::kAllKinds);
    if (scan.error != 0) return scan.error;
    return static_cast<int32_t>(scan.recordsOffset);
  });
}

FMDRAW_API int32_t FormInfoRead(const char* fileName, const int16_t* counts13, void* arr0,
                                void* arr1, void* arr2, void* arr3, void* arr4, void* arr5,
                                void* arr6, void* arr7, void* arr8, void* arr9, void* arr10,
                                void* arr11, void* fontTable38, char* hangingList257) {
  return Guarded(-9, [&]() -> int32_t {
    std::array<uint8_t*, 12> dest = {
        static_cast<uint8_t*>(arr0), static_cast<uint8_t*>(arr1), static_cast<uint8_t*>(arr2),
        static_cast<uint8_t*>(arr3), static_cast<uint8_t*>(arr4), static_cast<uint8_t*>(arr5),
        static_cast<uint8_t*>(arr6), static_cast<uint8_t*>(arr7), static_cast<uint8_t*>(arr8),
        static_cast<uint8_t*>(arr9), static_cast<uint8_t*>(arr10), static_cast<uint8_t*>(arr11)};
    return ReadInto(fileName, counts13, dest, fontTable38, hangingList257);
  });
}

FMDRAW_API int32_t FieldInfoRead(const char* fileName, const int16_t* counts13, void* arr0,
                                 void* dataFields, void* imageFields, void* listFields,
                                 void* barcodeFields, void* fontTable38) {
  return Guarded(-9, [&]() -> int32_t {
    std::array<uint8_t*, 12> dest{};
    dest[form::kOrder] = static_cast<uint8_t*>(arr0);
    dest[form::kDataField] = static_cast<uint8_t*>(dataFields);
    dest[form::kImageField] = static_cast<uint8_t*>(imageFields);
    dest[form::kListField] = static_cast<uint8_t*>(listFields);
    dest[form::kBarcodeField] = static_cast<uint8_t*>(barcodeFields);
    return ReadInto(fileName, counts13, dest, fontTable38, nullptr);
  });
}

FMDRAW_API int32_t AllFormRead(const char* fileName, int32_t offset, const int16_t* counts13,
                               void* arr0, void* arr1, void* arr2, void* arr3, void* arr4,
                               void* arr5, void* arr6, void* arr7, void* arr8, void* arr9,
                               void* arr10, void* arr11) {
  return Guarded(-1, [&]() -> int32_t {
    if (offset < 0 || counts13 == nullptr) return -1;
    auto bytes = ReadNamed(fileName);
    if (!bytes) return -1;
    std::array<uint8_t*, 12> dest = {
        static_cast<uint8_t*>(arr0), static_cast<uint8_t*>(arr1), static_cast<uint8_t*>(arr2),
        static_cast<uint8_t*>(arr3), static_cast<uint8_t*>(arr4), static_cast<uint8_t*>(arr5),
        static_cast<uint8_t*>(arr6), static_cast<uint8_t*>(arr7), static_cast<uint8_t*>(arr8),
        static_cast<uint8_t*>(arr9), static_cast<uint8_t*>(arr10), static_cast<uint8_t*>(arr11)};
    return form::ReadArrays(*bytes, static_cast<std::size_t>(offset), {counts13, 12}, dest) == 0 ? 0 : -1;
  });
}

FMDRAW_API int32_t AllFormWrite(int32_t variant, const char* fileName, const int16_t* counts13,
                                const void* arr0, const void* arr1, const void* arr2,
                                const void* arr3, const void* arr4, const void* arr5,
                                const void* arr6, const void* arr7, const void* arr8,
                                const void* arr9, const void* arr10, const void* arr11) {
  return Guarded(-1, [&]() -> int32_t {
    if (fileName == nullptr || *fileName == '\0' || counts13 == nullptr) return -1;
    std::array<const uint8_t*, 12> arrays = {
        static_cast<const uint8_t*>(arr0), static_cast<const uint8_t*>(arr1),
        static_cast<const uint8_t*>(arr2), static_cast<const uint8_t*>(arr3),
        static_cast<const uint8_t*>(arr4), static_cast<const uint8_t*>(arr5),
        static_cast<const uint8_t*>(arr6), static_cast<const uint8_t*>(arr7),
        static_cast<const uint8_t*>(arr8), static_cast<const uint8_t*>(arr9),
        static_cast<const uint8_t*>(arr10), static_cast<const uint8_t*>(arr11)};
    for (int k = 0; k < 12; ++k)
      if (counts13[k] < 0 || (counts13[k] > 0 && arrays[k] == nullptr)) return -1;
    auto bytes = form::BuildBinaryPart({counts13, 12}, arrays, form::FreshRandomWords(), variant);
    std::ofstream out(form::CreatableName(fileName), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return out ? 0 : -1;
  });
}

FMDRAW_API void* FmAllocMem(int32_t reallocate, intptr_t* handle, int32_t size) {
  return Guarded(static_cast<void*>(nullptr), [&]() -> void* {
    if (handle == nullptr || size < 0) return nullptr;
    std::size_t bytes = size > 0 ? static_cast<std::size_t>(size) : 1;
    if (reallocate != 0 && *handle != 0) {
      void* moved = std::realloc(reinterpret_cast<void*>(*handle), bytes);
      if (moved == nullptr) return nullptr;
      *handle = reinterpret_cast<intptr_t>(moved);
      return moved;
    }
    void* block = std::malloc(bytes);
    if (block == nullptr) return nullptr;
    *handle = reinterpret_cast<intptr_t>(block);
    return block;
  });
}

FMDRAW_API int32_t FmFreeMem(intptr_t handle) {
  std::free(reinterpret_cast<void*>(handle));
  return 0;
}

FMDRAW_API int32_t FmSetForm(int32_t formNo, int32_t magnification, int32_t xOffset,
                             int32_t yOffset, const char* fileName, int32_t* session) {
  return Guarded(-9, [&]() -> int32_t {
    session::WorkArea* area = session::OpenWorkArea(session);
    if (area == nullptr) return -1;
    if (formNo < 0 || formNo >= form::kMaxFormNumbers) return -1;
    std::size_t length = abi::BoundedLength(fileName, form::kMaxFormNameBytes);
    if (length < 1 || length > form::kMaxFormNameBytes) return -1;
    return area->forms.SetForm(formNo, magnification, static_cast<int16_t>(xOffset),
                               static_cast<int16_t>(yOffset), std::string(fileName, length));
  });
}

}  // extern "C"
