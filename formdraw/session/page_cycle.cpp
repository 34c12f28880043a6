#include "formdraw/session/page_cycle.h"

#include "formdraw/session/device_measurer.h"
#include "formdraw/session/draw_calls.h"
#include "formdraw/session/drawing_settings.h"

namespace fmdraw::session {

namespace {

void ForgetObjects(WorkArea& area) {
  area.drawing.lineApplied = false;
  area.drawing.patternApplied = false;
  area.drawing.fontApplied = false;
  area.drawing.createdFont = false;
}

void SelectDefaults(WorkArea& area) {
  device::Device& dev = *area.device;
  dev.SelectBrush(device::Brush{});
  dev.SelectPen(device::Pen{});
  area.drawing.selectedFont = PageDefaultFont();
  dev.SelectFont(DeviceFont(area.drawing.selectedFont.request));
}

}  // namespace

bool StartPageIfNeeded(WorkArea& area) {
  if (area.pageOpen) return true;
  if (area.outputKind == kPrinterOutput && !area.device->StartPage()) return false;
  area.pageOpen = true;
  ForgetObjects(area);
  SelectDefaults(area);
  const DrawingSettings& drawing = area.drawing;
  if (drawing.line) ApplyLine(area, *drawing.line);
  if (drawing.pattern) ApplyPattern(area, *drawing.pattern);
  if (drawing.font) ApplyFont(area, *drawing.font);
  return true;
}

int EndPage(WorkArea& area) {
  ForgetObjects(area);
  if (area.outputKind != kPrinterOutput) {
    area.pageOpen = false;
    return 0;
  }
  if (!area.pageOpen) return -7;
  area.pageOpen = false;
  return PageErrorCode(area.device->EndPage());
}

int PageErrorCode(device::PageError error) {
  switch (error) {
    case device::PageError::kNone: return 0;
    case device::PageError::kDiskFull: return -5;
    case device::PageError::kMemory: return -6;
    case device::PageError::kOther: break;
  }
  return -7;
}

}  // namespace fmdraw::session
