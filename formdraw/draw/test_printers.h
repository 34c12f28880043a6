// Readable test failure messages for the drawing value types (tests only).
#pragma once

#include <ostream>

#include "formdraw/draw/decoration.h"
#include "formdraw/draw/text_placement.h"

namespace fd::draw {

inline void PrintTo(const DotPoint& p, std::ostream* os) { *os << "(" << p.x << "," << p.y << ")"; }
inline void PrintTo(const GlyphRun& r, std::ostream* os) {
  *os << "\"" << r.text << "\"@(" << r.x << "," << r.y << ")";
}
inline void PrintTo(const LineSegment& s, std::ostream* os) {
  *os << "(" << s.from.x << "," << s.from.y << ")-(" << s.to.x << "," << s.to.y << ") pen "
      << s.pen.style << "/" << s.pen.width;
}

}  // namespace fd::draw
