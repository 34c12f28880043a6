#include "formdraw/render/text_drawing.h"

#include <cstring>

#include "formdraw/render/flow_text.h"
#include "formdraw/render/single_line.h"
#include "formdraw/session/device_measurer.h"
#include "formdraw/session/drawing_settings.h"

namespace fd::render {

using fmdraw::session::WorkArea;
namespace device = fmdraw::device;

draw::FormScale FormScaleOf(const WorkArea& area) {
  const fmdraw::form::FormNumber& form = area.forms.CurrentSettings();
  return {area.dpi, form.magnification, draw::MmToDots(form.xOffset, area.dpi),
          draw::MmToDots(form.yOffset, area.dpi)};
}

bool FontEntryOf(const WorkArea& area, int index, draw::FontEntry& out) {
  const fmdraw::form::FormData* form = area.forms.CurrentForm();
  if (form == nullptr || index < 0 || static_cast<std::size_t>(index) >= form->text.fonts.size())
    return false;
  const fmdraw::form::FontLine& line = form->text.fonts[static_cast<std::size_t>(index)];
  out = {line.first, line.face, line.pitchFamily & 0xFF, line.charset & 0xFF};
  return true;
}

std::string_view HangingListOf(const WorkArea& area) {
  const int slot = area.forms.CurrentSlot();
  if (slot < 0) return {};
  const auto& hanging = area.forms.Slot(slot).hanging;
  const char* p = reinterpret_cast<const char*>(hanging.data());
  return {p, strnlen(p, hanging.size())};
}

bool SelectRequestedFont(device::Device& dev, const draw::FontRequest& font) {
  const device::Font wanted = fmdraw::session::DeviceFont(font);
  if (dev.State().font == wanted) return true;
  return dev.SelectFont(wanted);
}

void DrawSegments(device::Device& dev, const std::vector<draw::LineSegment>& segments,
                  device::Color colour) {
  if (segments.empty()) return;
  const device::Pen before = dev.State().pen;
  for (const draw::LineSegment& s : segments) {
    const device::Pen pen{s.pen.style, s.pen.width, colour};
    if (dev.State().pen != pen) dev.SelectPen(pen);
    dev.MoveTo(s.from.x, s.from.y);
    dev.LineTo(s.to.x, s.to.y);
  }
  if (dev.State().pen != before) dev.SelectPen(before);
}

bool DrawSingleLine(WorkArea& area, const LayoutDescriptor& d, std::string_view text,
                    const draw::FontEntry& entry, const draw::FormScale& scale) {
  device::Device& dev = *area.device;
  if (!SelectRequestedFont(dev, SingleLineFont(d, entry, scale))) return false;
  fmdraw::session::DeviceMeasurer measurer(dev);
  const SingleLineLayout layout = LayOutSingleLine(d, text, entry, scale, measurer);
  for (const draw::GlyphRun& run : layout.placement.runs) dev.TextOut(run.x, run.y, run.text);
  DrawSegments(dev, layout.decorations, dev.State().textColor);
  return true;
}

bool DrawFlowText(WorkArea& area, const LayoutDescriptor& d, std::string_view text,
                  const draw::FontEntry& entry, const draw::FormScale& scale) {
  device::Device& dev = *area.device;
  if (!SelectRequestedFont(dev, FlowFont(d, entry, scale))) return false;
  fmdraw::session::DeviceMeasurer measurer(dev);
  const FlowLayout layout = LayOutFlowText(d, text, entry, scale, HangingListOf(area), measurer);
  dev.SetClipRect({layout.clip.left, layout.clip.top, layout.clip.right, layout.clip.bottom});
  for (const FlowLineLayout& line : layout.lines) {
    for (const draw::GlyphRun& c : line.chars) dev.TextOut(c.x, c.y, c.text);
    DrawSegments(dev, line.decorations, dev.State().textColor);
  }
  dev.ClearClip();
  return true;
}

}  // namespace fd::render
