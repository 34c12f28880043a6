// Exports of the field-data family: settings by code, field geometry, the list buffer,
// field look-ups in form files, the browse calls and the editor's directory profile.
#include <array>

#include "formdraw/abi/abi_guard.h"
#include "formdraw/fields/browse_calls.h"
#include "formdraw/fields/field_lookup.h"
#include "formdraw/fields/form_probe.h"
#include "formdraw/fields/list_buffer.h"
#include "formdraw/fields/list_print.h"
#include "formdraw/fields/profile_directory.h"
#include "formdraw/fields/settings.h"
#include "formdraw/session/session_record.h"

using namespace fmdraw;
using fmdraw::abi::Guarded;

namespace {

constexpr int32_t kNoMemory = -9;

// The rectangle of a named field of the current form, or the call's code.
int32_t FieldInfo(int32_t kind, const char* name, fields::FieldRect& rect, int32_t* session) {
  session::WorkArea* area = session::OpenWorkArea(session);
  if (area == nullptr) return fields::kNoSession;
  auto recordKind = fields::RecordKindOf(kind);
  if (!recordKind) return fields::kBadArgument;
  const form::FormData* form = area->forms.CurrentForm();
  if (form == nullptr || name == nullptr) return fields::kBadValue;
  const uint8_t* record = fields::FindField(*form, *recordKind, name);
  if (record == nullptr) return fields::kBadValue;
  rect = fields::FieldRectangle(*recordKind, record);
  return 0;
}

}  // namespace

extern "C" {

FMDRAW_API int32_t FmSetLong(int32_t code, int32_t value, int32_t* session) {
  return Guarded(kNoMemory, [&]() -> int32_t {
    session::WorkArea* area = session::OpenWorkArea(session);
    return area ? fields::SetLong(*area, code, value) : fields::kNoSession;
  });
}

FMDRAW_API int32_t FmSetString(int32_t code, const char* text, int32_t* session) {
  return Guarded(kNoMemory, [&]() -> int32_t {
    session::WorkArea* area = session::OpenWorkArea(session);
    return area ? fields::SetString(*area, code, text) : fields::kNoSession;
  });
}

FMDRAW_API int32_t FmGetFieldInfo(int32_t kind, const char* name, int32_t* rect4,
                                  int32_t* session) {
  return Guarded(kNoMemory, [&]() -> int32_t {
    fields::FieldRect rect{};
    int32_t rc = FieldInfo(kind, name, rect, session);
    if (rc != 0) return rc;
    if (rect4 == nullptr) return fields::kBadArgument;
    for (int i = 0; i < 4; ++i) rect4[i] = rect[i];
    return 0;
  });
}

FMDRAW_API int32_t FmGetFieldPtr(int32_t kind, const char* name, int32_t* left, int32_t* top,
                                 int32_t* right, int32_t* bottom, int32_t* session) {
  return Guarded(kNoMemory, [&]() -> int32_t {
    fields::FieldRect rect{};
    int32_t rc = FieldInfo(kind, name, rect, session);
    if (rc != 0) return rc;
    std::array<int32_t*, 4> out = {left, top, right, bottom};
    for (int i = 0; i < 4; ++i)
      if (out[i] != nullptr) *out[i] = rect[i];
    return 0;
  });
}

FMDRAW_API int32_t FmGetFieldNo(const char* formFile, const char* fieldName, int32_t kind) {
  return Guarded(-1, [&]() -> int32_t { return fields::ProbeFieldNumber(formFile, fieldName, kind); });
}

FMDRAW_API int32_t FmGetListFieldRow(const char* formFile, const char* listFieldName) {
  return Guarded(-1, [&]() -> int32_t { return fields::ProbeListFieldRows(formFile, listFieldName); });
}

FMDRAW_API int32_t FmAllocListBuffer(const char* listFieldName, int32_t* session) {
  return Guarded(fields::kBufferState, [&]() -> int32_t {
    session::WorkArea* area = session::OpenWorkArea(session);
    if (area == nullptr) return fields::kNoSession;
    if (listFieldName == nullptr) return fields::kBadValue;
    return fields::AllocListBuffer(*area, listFieldName);
  });
}

FMDRAW_API int32_t FmSetListData(int32_t column, int32_t row, int32_t length, const char* text,
                                 int32_t* session) {
  return Guarded(kNoMemory, [&]() -> int32_t {
    session::WorkArea* area = session::OpenWorkArea(session);
    return area ? fields::SetListData(*area, column, row, length, text) : fields::kNoSession;
  });
}

FMDRAW_API int32_t FmPrintListBuffer(int32_t* session) {
  return Guarded(kNoMemory, [&]() -> int32_t {
    session::WorkArea* area = session::OpenWorkArea(session);
    return area ? fields::PrintListBuffer(*area) : fields::kNoSession;
  });
}

FMDRAW_API int32_t FmBrsGetForm(const char* sourceFile, int32_t formIndex,
                                const char* targetFile) {
  return Guarded(-1, [&]() -> int32_t { return fields::BrowseGetForm(sourceFile, formIndex, targetFile); });
}

FMDRAW_API int32_t FmBrsGetDataByForm(const char* sourceFile, int32_t formIndex,
                                      const char* itemName, char* dataOut) {
  return Guarded(-1, [&]() -> int32_t {
    return fields::BrowseGetData(sourceFile, formIndex, itemName, false, nullptr, dataOut);
  });
}

FMDRAW_API int32_t FmBrsGetListByForm(const char* sourceFile, int32_t formIndex,
                                      const char* itemName, const char* subItemName,
                                      char* dataOut) {
  return Guarded(-1, [&]() -> int32_t {
    return fields::BrowseGetData(sourceFile, formIndex, itemName, true, subItemName, dataOut);
  });
}

FMDRAW_API int32_t FmSetProfile(const char* directory, const char* kind) {
  return Guarded(0, [&]() -> int32_t { return fields::SetProfileDirectory(directory, kind); });
}

}  // extern "C"
