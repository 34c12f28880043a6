#include "formdraw/fields/form_probe.h"

#include <memory>

#include "formdraw/fields/field_lookup.h"
#include "formdraw/fields/settings.h"
#include "formdraw/form/form_store.h"

namespace fmdraw::fields {

namespace {

inline constexpr int kNoForm = -1;  // the file cannot be opened or loaded

// The result of a look-up: rc 0 with the value read from the field record, or a code.
struct Probe {
  int rc = 0;
  int32_t value = 0;
};

template <typename Read>
Probe WithField(const char* formFile, const char* name, int recordKind, Read read) {
  if (formFile == nullptr || *formFile == '\0') return {kNoForm, 0};
  auto store = std::make_unique<form::FormStore>();
  if (store->SetForm(0, 100, 0, 0, formFile) != 0) return {kNoForm, 0};
  const form::FormData* form = store->CurrentForm();
  if (form == nullptr) return {kNoForm, 0};
  const uint8_t* record = name ? FindField(*form, recordKind, name) : nullptr;
  if (record == nullptr) return {kBadValue, 0};
  return {0, read(record)};
}

}  // namespace

int32_t ProbeFieldNumber(const char* formFile, const char* fieldName, int32_t kind) {
  if (kind == static_cast<int32_t>(FieldKind::kList)) return kBadArgument;
  auto recordKind = RecordKindOf(kind);
  if (!recordKind) return kBadArgument;
  Probe p = WithField(formFile, fieldName, *recordKind, FieldNumber);
  return p.rc != 0 ? p.rc : p.value;
}

int32_t ProbeListFieldRows(const char* formFile, const char* listFieldName) {
  Probe p = WithField(formFile, listFieldName, form::kListField, ListRows);
  return p.rc != 0 ? p.rc : p.value;
}

}  // namespace fmdraw::fields
