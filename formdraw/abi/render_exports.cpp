// Exports of the form and field printing family: the form's static content, data fields
// and list fields of the current form.
#include <span>
#include <string_view>

#include "formdraw/abi/abi_guard.h"
#include "formdraw/render/field_printing.h"
#include "formdraw/render/form_pass.h"
#include "formdraw/render/list_field.h"
#include "formdraw/session/session_record.h"

using namespace fmdraw;
using fmdraw::abi::Guarded;

namespace {

std::string_view View(const char* s) { return s == nullptr ? std::string_view{} : std::string_view{s}; }

}  // namespace

extern "C" {

FMDRAW_API int32_t FmPrintForm(const char*, int32_t* session) {
  return Guarded(-1, [&]() -> int32_t {
    session::WorkArea* area = session::OpenWorkArea(session);
    if (area == nullptr) return -1;
    return fd::render::PrintForm(*area);
  });
}

FMDRAW_API int32_t FmPrintDataField(const char* fieldName, const char* value, int32_t* session) {
  return Guarded(-3, [&]() -> int32_t {
    session::WorkArea* area = session::OpenWorkArea(session);
    if (area == nullptr) return -1;
    return fd::render::PrintDataField(*area, View(fieldName), View(value));
  });
}

// The cell buffer has no length of its own: its size follows from the field's rows and
// columns and the item length, as the caller built it.
FMDRAW_API int32_t FmPrintListField(const char* fieldName, const void* cellBuffer, int32_t* session) {
  return Guarded(-3, [&]() -> int32_t {
    session::WorkArea* area = session::OpenWorkArea(session);
    if (area == nullptr) return -1;
    const std::size_t size = cellBuffer == nullptr ? 0 : fd::render::ListFieldCellBytes(*area, View(fieldName));
    const std::span<const uint8_t> cells(static_cast<const uint8_t*>(cellBuffer), size);
    return fd::render::PrintListField(*area, View(fieldName), cells);
  });
}

}  // extern "C"
