// Underline and strike lines of a laid-out text, as line segments with their pens, in
// device dots. Used by the single-line and flow engines of the form pass.
//
// Underline kinds: 0 none; 1 solid; 2 solid and wide; 3 two solid lines; 4 to 7 line
// styles 1 to 4 (dash, dot, dash-dot, dash-dot-dot). Strike kinds: 0 none, 1 single,
// 2 double. Pen widths are in 1/300 inch (1, or 4 for kind 2) and convert like the pens
// of form shapes. Pure functions.
#pragma once

#include <vector>

#include "formdraw/draw/text_placement.h"

namespace fd::draw {

struct PenSpec {
  int style = 0;  // pen style 0 to 4
  int width = 1;  // dots
  bool operator==(const PenSpec&) const = default;
};

struct LineSegment {
  DotPoint from, to;
  PenSpec pen;
  bool operator==(const LineSegment&) const = default;
};

// The drawn text's box: from the first character's top-left to the end of the last.
struct TextBox {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct DecorationKinds {
  int underline = 0;
  int strike = 0;
};

enum class DecorationPens { kFormPass, kField };

// Underline one step below a horizontal text (left of a vertical one) across its length;
// kind 3 adds a second line three steps from the text. Strike through the middle; kind 2
// draws two lines one step either side of it. Unknown kinds draw nothing.
[[nodiscard]] std::vector<LineSegment> Decorate(const TextBox& box, bool vertical,
                                                DecorationKinds kinds, int step,
                                                int magnification, int dpi,
                                                DecorationPens pens = DecorationPens::kFormPass);

// The box of a placed text (first character to end of the last), corners ordered.
[[nodiscard]] TextBox BoxOf(const TextPlacement& placement);

}  // namespace fd::draw
