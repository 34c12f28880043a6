// Drawing the layout engines' results on the session's device: the single-line and flow
// engines' characters (one text run per text or flowed line) and decoration lines, with the engine's font selected (kept when
// the same font is already selected) and a measurer bound to it.
#pragma once

#include <string_view>
#include <vector>

#include "formdraw/draw/decoration.h"
#include "formdraw/draw/font_request.h"
#include "formdraw/draw/units.h"
#include "formdraw/render/layout_descriptor.h"
#include "formdraw/session/work_area.h"

namespace fd::render {

// The form pass's scale of the current form: resolution, magnification, offsets in dots.
[[nodiscard]] draw::FormScale FormScaleOf(const fmdraw::session::WorkArea& area);

// The current form's font-table entry `index`; false when there is none.
bool FontEntryOf(const fmdraw::session::WorkArea& area, int index, draw::FontEntry& out);

// The current form's hanging-character list.
[[nodiscard]] std::string_view HangingListOf(const fmdraw::session::WorkArea& area);

// Selects the font unless it is the selected one; false when it cannot be made.
bool SelectRequestedFont(fmdraw::device::Device& device, const draw::FontRequest& font);

// Each segment with its own pen in `colour`; the pen selected before is selected again.
void DrawSegments(fmdraw::device::Device& device, const std::vector<draw::LineSegment>& segments,
                  fmdraw::device::Color colour);

// A static text with line order 0. False when its font cannot be made.
bool DrawSingleLine(fmdraw::session::WorkArea& area, const LayoutDescriptor& d,
                    std::string_view text, const draw::FontEntry& entry,
                    const draw::FormScale& scale);

// A static text or data field with a non-zero line order: clipped, line by line.
bool DrawFlowText(fmdraw::session::WorkArea& area, const LayoutDescriptor& d,
                  std::string_view text, const draw::FontEntry& entry,
                  const draw::FormScale& scale);

}  // namespace fd::render
