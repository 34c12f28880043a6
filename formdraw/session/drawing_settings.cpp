#include "formdraw/session/drawing_settings.h"

#include <algorithm>
#include <cstdint>

#include "formdraw/session/device_measurer.h"
#include "formdraw/session/units.h"
#include "platform/codepage.h"

namespace fmdraw::session {

namespace {

// 8 x 8 bitmaps of patterns 8 to 13, one byte a row, left pixel in the high bit.
constexpr std::array<std::array<uint8_t, 8>, 6> kPatternBits = {{
    {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55},
    {0x55, 0xFF, 0xAA, 0xFF, 0x55, 0xFF, 0xAA, 0xFF},
    {0xEE, 0xFF, 0xBB, 0xFF, 0xEE, 0xFF, 0xBB, 0xFF},
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
    {0xEF, 0xFF, 0xFE, 0xFF, 0xEF, 0xFF, 0xFE, 0xFF},
    {0xEF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF},
}};

}  // namespace

const std::array<uint8_t, 8>& PatternBitmap(int32_t pattern) {
  return kPatternBits.at(static_cast<std::size_t>(pattern - 8));
}

std::string BuiltInFace(int32_t face) {
  return platform::Utf8ToCp932(face == 1 ? "ＭＳ 明朝" : "ＭＳ ゴシック");
}

device::Color DrawingColor(const WorkArea& area) {
  return area.IsColor() ? area.drawing.textColor : device::kBlack;
}

device::Color BackgroundColor(const WorkArea& area) {
  return area.IsColor() ? area.drawing.bkColor : device::kWhite;
}

device::Pen PenForLine(const WorkArea& area, const LineSetting& line) {
  device::Pen pen;
  pen.style = line.style;
  const int64_t dots = HundredthsToDots(line.width, area.dpi);
  // In 64 bits: an absurd width must give a wide pen, not an overflowed one.
  const int64_t width = (dots * area.dpi + 299) / 300;
  pen.width = line.style != 0 ? 1 : static_cast<int32_t>(std::clamp<int64_t>(width, 1, INT32_MAX));
  pen.color = DrawingColor(area);
  return pen;
}

device::Brush BrushForPattern(const WorkArea& area, int32_t pattern) {
  device::Brush brush;
  brush.color = DrawingColor(area);
  brush.background = BackgroundColor(area);
  if (pattern == 1) {
    brush.kind = device::BrushKind::kHollow;
  } else if (pattern >= 2 && pattern <= 7) {
    brush.kind = device::BrushKind::kHatch;
    brush.hatch = pattern - 2;
  } else if (pattern >= 8 && pattern <= 13) {
    brush.kind = device::BrushKind::kPattern;
    brush.bits = PatternBitmap(pattern);
  }
  return brush;
}

bool ApplyLine(WorkArea& area, const LineSetting& line) {
  if (!area.device->SelectPen(PenForLine(area, line))) return false;
  area.device->SetBkColor(BackgroundColor(area));
  area.drawing.lineApplied = true;
  return true;
}

bool ApplyPattern(WorkArea& area, int32_t pattern) {
  if (!area.device->SelectBrush(BrushForPattern(area, pattern))) return false;
  area.device->SetBkColor(BackgroundColor(area));
  area.drawing.patternApplied = true;
  return true;
}

bool ApplyFont(WorkArea& area, const FontSetting& setting) {
  const fd::draw::SessionFont font =
      fd::draw::MakeSetFont(setting.width, setting.height, setting.face, setting.italic != 0,
                            setting.bold != 0, area.forms.CurrentSettings().magnification, area.dpi);
  if (!area.device->SelectFont(DeviceFont(font.request))) return false;
  area.drawing.selectedFont = font;
  area.device->SetTextColor(DrawingColor(area));
  area.drawing.fontApplied = true;
  area.drawing.createdFont = false;
  return true;
}

}  // namespace fmdraw::session
