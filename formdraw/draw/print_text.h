// FmPrintText as numbers: the arguments (0.01 mm) through the page transform, the text
// ordered for its direction, and the characters placed with the session font, by the
// built-in path (fixed advances, one-dot squeeze) or the measured path. Argument checks
// (extent at least 1, direction and alignment 1 to 4) are the caller's. Pure function.
#pragma once

#include <string_view>

#include "formdraw/draw/session_font.h"
#include "formdraw/draw/text_measurer.h"
#include "formdraw/draw/text_placement.h"
#include "formdraw/draw/units.h"

namespace fd::draw {

struct PrintTextArgs {
  int x = 0, y = 0;  // 0.01 mm, top-left of the first character cell
  int extent = 0;    // 0.01 mm
  int direction = 1;
  int alignment = 1;
};

// `measurer` is only asked on the measured path.
[[nodiscard]] TextPlacement LayOutPrintText(const PrintTextArgs& args, std::string_view text,
                                            const PageTransform& transform, const SessionFont& font,
                                            TextMeasurer& measurer);

}  // namespace fd::draw
