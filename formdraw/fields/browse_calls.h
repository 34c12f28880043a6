// The three browse calls on files: read the source browse file, answer from it, and write
// the listing file or the caller's data buffer. Arguments arrive as the C interface
// passes them (null allowed); results are the calls' codes (browse_file.h).
#pragma once

#include <cstdint>

namespace fmdraw::fields {

// Writes "form,item,name" CR LF lines of form formIndex (every form for 0) to
// targetFile, replacing it. Returns the number of lines, -4, -1 or -2.
[[nodiscard]] int32_t BrowseGetForm(const char* sourceFile, int32_t formIndex,
                                    const char* targetFile);

// Copies the data of the named item (or of its named sub-item when subItemName is not
// null) with a terminating NUL to dataOut, which must hold the data length + 1 bytes
// (never more than the source file's size + 1). Returns 1, 0, -4 or -1. `wantSubItem`
// tells the two calls apart (a null subItemName of FmBrsGetListByForm is a missing
// argument).
[[nodiscard]] int32_t BrowseGetData(const char* sourceFile, int32_t formIndex,
                                    const char* itemName, bool wantSubItem,
                                    const char* subItemName, char* dataOut);

}  // namespace fmdraw::fields
