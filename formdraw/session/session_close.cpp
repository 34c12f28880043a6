#include "formdraw/session/session_close.h"

#include <cstdlib>
#include <string>

#include "formdraw/device/cairo_device.h"
#include "formdraw/session/page_cycle.h"
#include "formdraw/session/session_record.h"

namespace fmdraw::session {

namespace {

// A display session's picture is kept for people to look at when FMDRAW_DISPLAY_PNG
// names a file.
void KeepDisplayPicture(const WorkArea& area) {
  const char* path = std::getenv("FMDRAW_DISPLAY_PNG");
  if (path == nullptr || *path == '\0') return;
  if (auto* cairo = dynamic_cast<const device::CairoDevice*>(area.device.get()))
    (void)cairo->SaveImage(path);
}

}  // namespace

int CloseSession(int32_t* record, bool abort) {
  WorkArea* area = RecordWorkArea(record);
  if (area == nullptr) return -1;
  if (!area->IsOpen() || RecordState(record) != kStateOpen) {
    ReleaseRecord(record);
    return -1;
  }
  if (abort) area->abort = true;
  area->forms.ReleaseAll();
  int result = 0;
  if (area->outputKind == kPrinterOutput && area->documentStarted) {
    // A page drawn after its FmPrintOut returned may still fail: it fails the document
    // with its own error, and nothing of the document is delivered.
    const int late = area->abort ? 0 : PageErrorCode(area->device->FinishPages());
    if (area->abort || late != 0) area->device->AbortDoc();
    else if (!area->device->EndDoc()) result = -5;
    if (late != 0) result = late;
  } else if (area->outputKind == kDisplayOutput) {
    KeepDisplayPicture(*area);
  }
  ReleaseRecord(record);
  return result;
}

int ChangeForm(int32_t* record, const char* formFile) {
  WorkArea* area = OpenWorkArea(record);
  if (area == nullptr) return -1;
  if (formFile == nullptr) return -2;
  std::size_t length = 0;
  while (length <= 128 && formFile[length] != '\0') ++length;
  if (length < 1 || length > 128) return -2;
  return area->forms.ChangeCurrentFile(std::string(formFile, length)) == 0 ? 0 : -5;
}

}  // namespace fmdraw::session
