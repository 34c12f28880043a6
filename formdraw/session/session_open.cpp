#include "formdraw/session/session_open.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <new>
#include <string>

#include "formdraw/form/file_search.h"
#include "formdraw/form/form_info.h"
#include "formdraw/session/device_factory.h"
#include "formdraw/session/page_cycle.h"
#include "formdraw/session/printer_registry.h"
#include "formdraw/session/session_record.h"

namespace fmdraw::session {

namespace {

constexpr std::size_t kMaxName = 128;

std::size_t BoundedLength(const char* s, std::size_t limit) {
  std::size_t n = 0;
  while (n <= limit && s[n] != '\0') ++n;
  return n;
}

int CheckArguments(const OpenArguments& a) {
  if (a.mode < 1 || a.mode > 5) return -1;
  if (a.formFile == nullptr) return -2;
  std::size_t formLength = BoundedLength(a.formFile, kMaxName);
  if (formLength < 1 || formLength > kMaxName) return -2;
  if (a.mode == 3) {
    if (a.outputFile == nullptr) return -8;
    std::size_t outLength = BoundedLength(a.outputFile, kMaxName);
    if (outLength < 1 || outLength > kMaxName) return -8;
  }
  if (a.magnification < 1 || a.magnification > 1000) return -8;
  return 0;
}

struct FormCheck {
  int result = 0;
  std::string path;
  int orientation = 0;
};

// Opens the form (bare-name search as a fallback) and checks its signature.
FormCheck CheckFormFile(const char* formFile) {
  FormCheck check;
  auto bytes = form::ReadLocatedFile(formFile, &check.path);
  if (!bytes) {
    check.result = -3;
    return check;
  }
  int version = form::FormVersion(*bytes);
  if (version == -2) check.result = -3;
  else if (version != 4) check.result = -10;
  check.orientation = form::FormOrientation(*bytes);
  return check;
}

// The output file of mode 3 is created (emptied) to test it.
bool TouchOutputFile(const char* name) {
  int fd = ::open(form::CreatableName(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

int OpenDisplay(WorkArea& area, const OpenArguments& a) {
  auto dots = [](int32_t v) { return static_cast<int32_t>(int64_t{v} * kScreenDpi / 2540); };
  int32_t w = dots(a.width), h = dots(a.height);
  if (a.dc != 0 && (w < 1 || h < 1)) {
    // A caller's context has no size here: draw on an A4 page at the screen resolution.
    w = dots(21000);
    h = dots(29700);
  }
  area.device = MakeDisplayDevice(w, h);
  if (!area.device) return -6;
  area.deviceKind = a.dc == 0 ? kOwnWindow : kCallerContext;
  return 0;
}

// Steps 6 and 7 of opening on the default printer: store the form's orientation and one
// copy in the printer's settings (unless the caller gave settings), then make the device
// with the settings of this session.
int OpenPrinter(WorkArea& area, int formOrientation) {
  auto windir = WindowsDirectory();
  auto printer = ReadDefaultPrinter(windir);
  if (!printer) return -7;
  const std::optional<SettingsBlock>& given = area.printerSettings;
  auto fromForm = [&](PrinterValues& v) {
    v[kOrientation] = formOrientation == 1 ? kLandscape : kPortrait;
    v[kCopies] = 1;
  };
  if (!(given && given->AnyGiven())) {
    auto stored = ReadPrinter(windir, printer->name);
    if (!stored) return -7;
    if (!given) {
      fromForm(stored->values);
      if (!WritePrinterValues(windir, printer->name, stored->values)) return -7;
    }
  }
  auto entry = ReadPrinter(windir, printer->name);
  if (!entry) return -7;
  // A resolution outside 1..kMaxPrinterDpi gets the no-resolution code at once: the dot
  // conversions divide by 2540000 / dpi, which is 0 for an absurdly fine printer.
  if (entry->dpi < 1 || entry->dpi > kMaxPrinterDpi) return -8;
  PrinterValues values = entry->values;
  if (given) ApplyMasked(*given, values);
  else fromForm(values);
  area.device = MakePrinterDevice(*entry, values);
  if (!area.device) return -7;
  area.deviceKind = kLibraryContext;
  return 0;
}

void InitialiseSettings(WorkArea& area, const OpenArguments& a) {
  area.outputKind = a.mode == 2 ? kDisplayOutput : kPrinterOutput;
  area.window = a.window;
  area.dc = a.dc;
  area.dpi = area.device->Caps().dpiX;
  area.colorMode = area.device->IsMonochrome() ? 0 : 1;
  area.drawing = DrawingSettings{};
  form::FormNumber& form0 = area.forms.Number(0);
  form0.magnification = a.magnification;
  form0.xOffset = static_cast<int16_t>(a.xOffset);
  form0.yOffset = static_cast<int16_t>(a.yOffset);
}

// Steps 3 to 12 on an allocated work area. On failure the caller cleans up.
int OpenSteps(WorkArea& area, const OpenArguments& a) {
  FormCheck form = CheckFormFile(a.formFile);
  if (form.result != 0) return form.result;
  if (a.mode == 3 && !TouchOutputFile(a.outputFile)) return -8;
  int rc = a.mode == 2 ? OpenDisplay(area, a) : OpenPrinter(area, form.orientation);
  if (rc != 0) return rc;
  if (area.device->Caps().dpiX < 1) return -8;
  InitialiseSettings(area, a);
  if (area.outputKind == kPrinterOutput) {
    if (!area.device->StartDoc(a.documentName != nullptr ? a.documentName : "")) return -11;
    area.documentStarted = true;
    if (!StartPageIfNeeded(area)) return -11;
  }
  if (area.forms.SetForm(0, a.magnification, static_cast<int16_t>(a.xOffset),
                         static_cast<int16_t>(a.yOffset), form.path) != 0)
    return -5;
  area.printerSettings.reset();
  return 0;
}

// Undoes a failed open: the document is cancelled (nothing is delivered), the device and
// the settings block go; a work area this open allocated is freed and the record cleared,
// one given before (state 19605) is kept, empty, for a retry or FmTerm.
void UndoOpen(int32_t* record, WorkArea* area, bool allocatedHere) {
  if (area->device && area->documentStarted) area->device->AbortDoc();
  if (allocatedHere) {
    ReleaseRecord(record);
    return;
  }
  area->forms.ReleaseAll();
  *area = WorkArea{};
}

}  // namespace

int OpenSession(int32_t* record, const OpenArguments& args) {
  if (record == nullptr) return -1;
  if (int rc = CheckArguments(args); rc != 0) return rc;
  WorkArea* area = RecordWorkArea(record);
  // A record that is already open is refused: opening over it would lose its document.
  if (area != nullptr && RecordState(record) == kStateOpen) return -1;
  bool allocatedHere = area == nullptr;
  if (allocatedHere) {
    area = new (std::nothrow) WorkArea();
    if (area == nullptr) return -9;
    StoreRecord(record, area, kStateOpen);
  }
  int rc = OpenSteps(*area, args);
  if (rc != 0) {
    UndoOpen(record, area, allocatedHere);
    return rc;
  }
  StoreRecord(record, area, kStateOpen);
  return 0;
}

int GivePrinterSettings(int32_t* record, const SettingsBlock& block) {
  if (record == nullptr) return -1;
  int32_t state = RecordState(record);
  if (state >= kStateOpen && state <= kStateSettings && RecordWorkArea(record) != nullptr) return -1;
  auto* area = new (std::nothrow) WorkArea();
  if (area == nullptr) return -9;
  area->printerSettings = block;
  StoreRecord(record, area, kStateSettings);
  return 0;
}

int OpenSessionIndirect(int32_t* record, const OpenArguments& args, const SettingsBlock& block,
                        const char* formField, std::size_t formFieldSize) {
  if (record == nullptr || formField == nullptr) return -1;
  if (RecordState(record) == kStateOpen && RecordWorkArea(record) != nullptr) return -1;
  ReleaseRecord(record);  // settings given earlier are replaced by the record's own
  int rc = GivePrinterSettings(record, block);
  if (rc != 0) return rc;
  std::size_t end = 0;
  while (end < formFieldSize && static_cast<unsigned char>(formField[end]) >= 33) ++end;
  if (end == formFieldSize) {
    ReleaseRecord(record);
    return -2;
  }
  std::string name(formField, end);
  OpenArguments a = args;
  if (a.mode >= 3 && a.mode <= 5) a.mode = 1;
  a.formFile = name.c_str();
  a.outputFile = nullptr;
  // The work area was allocated by this call, so a failed open frees it again rather
  // than leaving the caller a half-open record.
  rc = OpenSession(record, a);
  if (rc != 0) ReleaseRecord(record);
  return rc;
}

}  // namespace fmdraw::session
