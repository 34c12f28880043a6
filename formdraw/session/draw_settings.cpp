// FmSetLine, FmSetPattern, FmSetFont, FmCreateFont: each compares with the setting in
// force and returns at once when nothing changes, so callers may repeat them freely.
#include "formdraw/session/device_measurer.h"
#include "formdraw/session/draw_calls.h"
#include "formdraw/session/drawing_settings.h"
#include "formdraw/session/page_cycle.h"

namespace fmdraw::session {

fd::draw::PageTransform TransformOf(const WorkArea& area) {
  const form::FormNumber& form = area.forms.CurrentSettings();
  return {area.dpi, form.magnification, form.xOffset, form.yOffset};
}

int SetLine(WorkArea& area, int32_t style, int32_t width) {
  if (!StartPageIfNeeded(area)) return -3;
  if (style < 0 || style > 4) return -2;
  const LineSetting line{style, width};
  if (area.drawing.lineApplied && area.drawing.line == line) return 0;
  if (!ApplyLine(area, line)) return -3;
  area.drawing.line = line;
  return 0;
}

int SetPattern(WorkArea& area, int32_t pattern) {
  if (pattern < 0 || pattern > 13) return -2;
  if (!StartPageIfNeeded(area)) return -3;
  if (area.drawing.patternApplied && area.drawing.pattern == pattern) return 0;
  if (!ApplyPattern(area, pattern)) return -3;
  area.drawing.pattern = pattern;
  return 0;
}

int SetFont(WorkArea& area, int32_t width, int32_t height, int32_t face, int32_t italic,
            int32_t bold) {
  if (width <= 0 || height <= 0 || face < 1 || face > 3) return -2;
  if ((italic != 0 && italic != 1) || (bold != 0 && bold != 1)) return -2;
  if (!StartPageIfNeeded(area)) return -3;
  const FontSetting setting{width, height, face, italic, bold};
  DrawingSettings& d = area.drawing;
  if (d.fontApplied && !d.createdFont && d.font == setting) return 0;
  if (!ApplyFont(area, setting)) return -3;
  d.font = setting;
  return 0;
}

namespace {

fd::draw::SessionFont MadeFont(const WorkArea& area, const CreatedFontSetting& s) {
  fd::draw::CreateFontArgs args{s.width,   s.height,  s.escapement, s.bold != 0, s.italic != 0,
                                s.charSet, s.pitch,   s.family,     s.face};
  return fd::draw::MakeCreateFont(args, area.forms.CurrentSettings().magnification, area.dpi);
}

}  // namespace

int CreateFont(WorkArea& area, const CreatedFontSetting& s) {
  if (s.width < 0 || s.height < 0 || (s.bold != 0 && s.bold != 1) ||
      (s.italic != 0 && s.italic != 1) || s.face.empty() || s.face.size() > 31)
    return -2;
  if (!StartPageIfNeeded(area)) return -3;
  DrawingSettings& d = area.drawing;
  if (d.createdFont && d.created == s) return 0;
  const fd::draw::SessionFont font = MadeFont(area, s);
  if (!area.device->SelectFont(DeviceFont(font.request))) return -3;
  d.selectedFont = font;
  area.device->SetTextColor(DrawingColor(area));
  d.created = s;
  d.createdFont = true;
  d.fontApplied = false;  // the FmSetFont font is no longer the selected one
  return 0;
}

fd::draw::SessionFont CurrentSessionFont(const WorkArea& area) { return area.drawing.selectedFont; }

fd::draw::SessionFont PageDefaultFont() {
  // 10 dots high with 10-dot cells (full width 20 dots).
  fd::draw::SessionFont f;
  f.request = {10, 10, 0, 400, false, kShiftJisCharset, kFixedPitchRoman,
               std::string(fd::draw::kMinchoFace)};
  f.widthMilli = 20000;
  f.heightMilli = 10000;
  f.builtIn = true;
  return f;
}

void SetTextColour(WorkArea& area, device::Color colour) {
  area.drawing.textColor = colour;
  area.device->SetTextColor(DrawingColor(area));
  // Pens, brushes and fonts take the text colour: the next setting call makes them again.
  area.drawing.lineApplied = false;
  area.drawing.patternApplied = false;
  area.drawing.fontApplied = false;
}

void RestoreLine(WorkArea& area, const std::optional<LineSetting>& before) {
  area.drawing.lineApplied = false;
  if (before) {
    SetLine(area, before->style, before->width);
    return;
  }
  area.drawing.line.reset();
  area.device->SelectPen(device::Pen{});
}

}  // namespace fmdraw::session
