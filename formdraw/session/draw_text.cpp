// FmPrintText: the session font's placement (built-in or measured) drawn as one text run
// on a transparent background.
#include "formdraw/draw/print_text.h"
#include "formdraw/session/device_measurer.h"
#include "formdraw/session/draw_calls.h"
#include "formdraw/session/page_cycle.h"

namespace fmdraw::session {

bool DrawPlacement(WorkArea& area, const fd::draw::TextPlacement& placement) {
  device::Device& dev = *area.device;
  dev.SetBkMode(device::BkMode::kTransparent);
  const bool ok = DrawGlyphRuns(dev, placement.runs);
  area.drawing.firstCharacter = {placement.first.x, placement.first.y};
  area.drawing.textEnd = {placement.end.x, placement.end.y};
  return ok;
}

int PrintText(WorkArea& area, int32_t x, int32_t y, int32_t extent, int32_t direction,
              int32_t alignment, std::string_view text) {
  if (!StartPageIfNeeded(area)) return -3;
  if (extent < 1 || direction < 1 || direction > 4 || alignment < 1 || alignment > 4) return -2;
  if (text.empty()) return 0;
  DeviceMeasurer measurer(*area.device);
  const fd::draw::TextPlacement placement = fd::draw::LayOutPrintText(
      {x, y, extent, direction, alignment}, text, TransformOf(area), CurrentSessionFont(area),
      measurer);
  return DrawPlacement(area, placement) ? 0 : -3;
}

}  // namespace fmdraw::session
