// The caller's session record: words 0 and 1 hold the work area's address (low and high
// half), word 2 the state. These helpers are the only code that reads or writes it.
#pragma once

#include <cstdint>

#include "formdraw/session/work_area.h"

namespace fmdraw::session {

inline constexpr int32_t kStateClosed = 0;
inline constexpr int32_t kStateOpen = 19600;
inline constexpr int32_t kStateSettings = 19605;

[[nodiscard]] int32_t RecordState(const int32_t* record);

// The work area of a record in state 19600 or 19605, or nullptr.
[[nodiscard]] WorkArea* RecordWorkArea(int32_t* record);

// The work area of an open session (state 19600 with an output), or nullptr: what every
// call that needs a session checks first.
[[nodiscard]] WorkArea* OpenWorkArea(int32_t* record);

void StoreRecord(int32_t* record, WorkArea* area, int32_t state);

// Frees the record's work area (if any) and zeroes the record.
void ReleaseRecord(int32_t* record);

}  // namespace fmdraw::session
