// The drawing calls of a session as C++ functions (the exports FmSetLine ... FmPrintPie
// are thin wrappers; the form's field printing calls them too). Every call starts the
// page if none is open; positions are 0.01 mm through the current form's magnification
// and offsets. Results are the export codes: 0, -2 bad argument, -3 object or drawing
// failed. The session must be open (the exports check it and return -1).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "formdraw/draw/session_font.h"
#include "formdraw/draw/text_placement.h"
#include "formdraw/draw/units.h"
#include "formdraw/session/work_area.h"

namespace fmdraw::session {

// The current form's transform of drawing positions.
[[nodiscard]] fd::draw::PageTransform TransformOf(const WorkArea& area);

// --- settings (draw_settings.cpp) ---
int SetLine(WorkArea& area, int32_t style, int32_t width);
int SetPattern(WorkArea& area, int32_t pattern);
int SetFont(WorkArea& area, int32_t width, int32_t height, int32_t face, int32_t italic,
            int32_t bold);
int CreateFont(WorkArea& area, const CreatedFontSetting& setting);
// The session font FmPrintText places with: the font the last FmCreateFont, FmSetFont or
// page start selected, with the sizes it was made with.
[[nodiscard]] fd::draw::SessionFont CurrentSessionFont(const WorkArea& area);
// The font every page starts with: 10 x 10 dots "ＭＳ 明朝".
[[nodiscard]] fd::draw::SessionFont PageDefaultFont();
// The session's text colour (setting code 10): stored, applied to the device (black on
// monochrome devices); the line setting is re-made on its next call.
void SetTextColour(WorkArea& area, device::Color colour);
// The line setting to put back after a field's frame or grid; `before` is the setting
// the session had (none: the page's default pen).
void RestoreLine(WorkArea& area, const std::optional<LineSetting>& before);

// --- shapes (draw_shapes.cpp) ---
int PrintLine(WorkArea& area, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
int PrintBox(WorkArea& area, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t radius);
int PrintPolygon(WorkArea& area, std::span<const int32_t> xy);
enum class EllipseFigure { kCircle, kArc, kChord, kPie };
int PrintEllipseFigure(WorkArea& area, EllipseFigure figure, int32_t x1, int32_t y1, int32_t x2,
                       int32_t y2, device::Point start = {}, device::Point end = {});

// --- text (draw_text.cpp) ---
// FmPrintText: -2 for an extent below 1 or a direction or alignment outside 1 to 4.
int PrintText(WorkArea& area, int32_t x, int32_t y, int32_t extent, int32_t direction,
              int32_t alignment, std::string_view text);
// Draws placed runs with the selected font on a transparent background and records the
// first character and the end of the text.
bool DrawPlacement(WorkArea& area, const fd::draw::TextPlacement& placement);

}  // namespace fmdraw::session
