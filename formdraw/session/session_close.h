// Closing a session (FmTerm, FmAbort) and replacing its current form (FmChangeForm).
#pragma once

#include <cstdint>

namespace fmdraw::session {

// Releases every form slot, ends the print document (cancels it when aborting; a failure
// gives -5 and the close goes on), drops the device and frees the work area; the record
// becomes all zero. -1 without an open session. A record left in state 19605 by a failed
// open (or by FmSetPrinterDriver alone) is released and cleared too, returning -1.
int CloseSession(int32_t* record, bool abort);

// 0, -1 without an open session, -2 for a missing, empty or over-long name, -5 when the
// new file cannot be loaded.
int ChangeForm(int32_t* record, const char* formFile);

}  // namespace fmdraw::session
