// Field look-ups in a form file without a session (FmGetFieldNo, FmGetListFieldRow): the
// file is loaded as form 0 of a private form store that lives only for the call. The
// signature's version is not checked (version 4 is assumed).
#pragma once

#include <cstdint>

namespace fmdraw::fields {

// Word 1 of the named data (1), barcode (2) or image (4) field. Returns -1 when the file
// cannot be opened or loaded, -2 for another kind, -3 when no such field exists.
[[nodiscard]] int32_t ProbeFieldNumber(const char* formFile, const char* fieldName, int32_t kind);

// Row count of the named list field; -1 or -3 as above.
[[nodiscard]] int32_t ProbeListFieldRows(const char* formFile, const char* listFieldName);

}  // namespace fmdraw::fields
