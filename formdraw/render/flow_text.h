// The flow engine of the form pass: a static text or data field with a non-zero line
// order, broken into lines (flow_breaker.h) and laid out line by line in device dots.
//
// Sizes in points become thousandths of a dot as p * dpi * 1000 / 72 * magnification /
// 100. The character advance is size + character spacing - 128 points, the line advance
// size + line spacing - 128 points. Line order 1 stacks lines from the top (vertical:
// from the right edge minus one line advance); any other order from the bottom minus one
// line advance (vertical: from the left edge). Drawing is clipped to the box widened by
// two character advances on its left and top, where characters start.
//
// With flow flag bit 1 a line loses its trailing blanks and, unless it begins a
// paragraph or is all blanks, its leading ones; and every line but a paragraph's last is
// spread as for alignment 4. Lines are cut at 512 bytes; directions 3 and 4 reverse
// them. Pure: the caller selects `FlowFont` on the device and passes a measurer bound to
// it (measures in thousandths of a device dot).
#pragma once

#include <string_view>
#include <vector>

#include "formdraw/draw/decoration.h"
#include "formdraw/draw/font_request.h"
#include "formdraw/draw/text_measurer.h"
#include "formdraw/draw/text_placement.h"
#include "formdraw/draw/units.h"
#include "formdraw/render/flow_breaker.h"
#include "formdraw/render/layout_descriptor.h"

namespace fd::render {

// Points to thousandths of a dot at the scale's resolution and magnification.
[[nodiscard]] long long PointsToMilli(long long points, const draw::FormScale& scale);

// The drawing font: height size * dpi / 72 * magnification / 100 dots, width half the
// height for the Shift-JIS character set (else 0), escapement rotation * 100, weight 700
// for bold, italic, the entry's character set, face and pitch and family (+4).
[[nodiscard]] draw::FontRequest FlowFont(const LayoutDescriptor& d, const draw::FontEntry& entry,
                                         const draw::FormScale& scale);

struct FlowLineLayout {
  FlowLine source;                      // the line as broken, byte range of the text
  std::vector<draw::GlyphRun> chars;    // one run per character, in drawing order
  std::vector<draw::LineSegment> decorations;
};

struct FlowLayout {
  draw::FontRequest font;
  draw::DotRect clip;  // right and bottom exclusive
  std::vector<FlowLineLayout> lines;
};

[[nodiscard]] FlowLayout LayOutFlowText(const LayoutDescriptor& d, std::string_view text,
                                        const draw::FontEntry& entry, const draw::FormScale& scale,
                                        std::string_view hangingList, draw::TextMeasurer& measurer);

}  // namespace fd::render
