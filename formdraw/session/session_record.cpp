#include "formdraw/session/session_record.h"

namespace fmdraw::session {

int32_t RecordState(const int32_t* record) { return record == nullptr ? kStateClosed : record[2]; }

WorkArea* RecordWorkArea(int32_t* record) {
  if (record == nullptr) return nullptr;
  if (record[2] != kStateOpen && record[2] != kStateSettings) return nullptr;
  uint64_t address = static_cast<uint32_t>(record[0]) |
                     (static_cast<uint64_t>(static_cast<uint32_t>(record[1])) << 32);
  auto* area = reinterpret_cast<WorkArea*>(static_cast<uintptr_t>(address));
  if (area == nullptr || area->magic != kWorkAreaMagic) return nullptr;
  return area;
}

WorkArea* OpenWorkArea(int32_t* record) {
  WorkArea* area = RecordWorkArea(record);
  return area != nullptr && record[2] == kStateOpen && area->IsOpen() ? area : nullptr;
}

void StoreRecord(int32_t* record, WorkArea* area, int32_t state) {
  auto address = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(area));
  record[0] = static_cast<int32_t>(static_cast<uint32_t>(address & 0xFFFFFFFFu));
  record[1] = static_cast<int32_t>(static_cast<uint32_t>(address >> 32));
  record[2] = state;
}

void ReleaseRecord(int32_t* record) {
  if (record == nullptr) return;
  WorkArea* area = RecordWorkArea(record);
  if (area != nullptr) {
    area->magic = 0;  // a stale copy of the record no longer passes the check
    delete area;
  }
  record[0] = record[1] = record[2] = 0;
}

}  // namespace fmdraw::session
