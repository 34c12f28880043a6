#include "formdraw/fields/settings.h"

#include <string>

#include "formdraw/form/file_search.h"

namespace fmdraw::fields {

namespace {

using session::WorkArea;

bool IsFlag(int32_t value) { return value == 0 || value == 1; }

// The 0/1 settings, by code; nullptr for other codes.
int32_t* FlagSetting(WorkArea& area, int32_t code) {
  auto& d = area.drawing;
  switch (code) {
    case kMessagePump: return &d.messagePumpOff;
    case kTransparentShapes: return &d.transparentShapes;
    case kBoxFrame: return &d.frameOn;
    case kCutLongText: return &d.cutLongText;
    default: return nullptr;
  }
}

int SetItemLength(WorkArea& area, int32_t value) {
  if (value < kMinItemLength || value > kMaxItemLength || value % 4 != 0) return kBadValue;
  // Cells of an existing buffer were laid out with the old length.
  if (area.listBuffer) return kBufferState;
  area.drawing.itemLength = value;
  return kOk;
}

// Codes 10 and 11: the next FmSetLine / FmSetPattern (and FmSetFont for the text colour)
// must make their objects again in the new colour, even with unchanged arguments.
int SetColor(WorkArea& area, int32_t code, int32_t value) {
  auto color = static_cast<device::Color>(value);
  auto& d = area.drawing;
  if (code == kTextColor) {
    d.textColor = color;
    d.fontApplied = false;
  } else {
    d.bkColor = color;
  }
  d.lineApplied = false;
  d.patternApplied = false;
  return kOk;
}

int SetColorMode(WorkArea& area, int32_t value) {
  if (value < 1 || value > 3) return kBadValue;
  area.drawing.colorModeCode = value;
  if (value == 1)
    area.colorMode = area.device != nullptr && area.device->IsMonochrome() ? 0 : 1;
  else
    area.colorMode = value == 2 ? 1 : 0;
  // Pens, brushes and text take their colour from the mode.
  area.drawing.lineApplied = area.drawing.patternApplied = area.drawing.fontApplied = false;
  return kOk;
}

int SetFormValue(WorkArea& area, int32_t code, int32_t value) {
  form::FormNumber& current = area.forms.CurrentSettings();
  switch (code) {
    case kMagnification:
      if (value < 1 || value > kMaxMagnification) return kBadValue;
      current.magnification = value;
      return kOk;
    case kXOffset: current.xOffset = static_cast<int16_t>(value); return kOk;
    case kYOffset: current.yOffset = static_cast<int16_t>(value); return kOk;
    default: return kBadArgument;
  }
}

int SetDirectory(std::string& target, std::string_view text) {
  if (text.empty() || text.size() > kMaxDirectoryBytes) return kBadValue;
  // Kept as given: paths are joined to it in CP932 and found on disk as a whole.
  if (!form::ExistingDirectory(text)) return kBadValue;
  target = std::string(text);
  return kOk;
}

}  // namespace

int SetLong(WorkArea& area, int32_t code, int32_t value) {
  if (int32_t* flag = FlagSetting(area, code)) {
    if (!IsFlag(value)) return kBadValue;
    *flag = value;
    return kOk;
  }
  switch (code) {
    case kItemLength: return SetItemLength(area, value);
    case kMagnification:
    case kXOffset:
    case kYOffset: return SetFormValue(area, code, value);
    case kTextColor:
    case kBackgroundColor: return SetColor(area, code, value);
    case kColorMode: return SetColorMode(area, value);
    case kWindowHandle: area.window = value; return kOk;
    case kDeviceContext: area.dc = value; return kOk;
    case kCurrentForm:
      if (value < 0 || value >= form::kMaxFormNumbers) return kBadValue;
      return area.forms.MakeCurrent(value) == 0 ? kOk : kBadValue;
    default: return kBadArgument;
  }
}

int SetString(WorkArea& area, int32_t code, const char* text) {
  std::string_view value = text == nullptr ? std::string_view{} : std::string_view(text);
  switch (code) {
    case kPadCharacter:
      if (value.empty())
        area.drawing.padCharacter.reset();
      else
        area.drawing.padCharacter = value.front();
      return kOk;
    case kImageDirectory: return SetDirectory(area.imageDirectory, value);
    case kTempDirectory: return SetDirectory(area.tempDirectory, value);
    default: return kBadArgument;
  }
}

}  // namespace fmdraw::fields
