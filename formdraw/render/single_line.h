// The single-line engine of the form pass: a static text with line order 0 laid out on
// one line in device dots. The text loses its CR and LF bytes, directions 3 and 4
// reverse it, the font comes from the form's font table at the text's character size,
// and the characters are placed as FmPrintText places them (built-in faces without
// rotation) or on measured widths (other faces, rotated text). Underline and strike
// lines follow the placed text. Pure: the caller selects `font` on the device and passes
// a measurer bound to it; nothing is drawn here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formdraw/draw/decoration.h"
#include "formdraw/draw/font_request.h"
#include "formdraw/draw/text_measurer.h"
#include "formdraw/draw/text_placement.h"
#include "formdraw/draw/units.h"
#include "formdraw/render/layout_descriptor.h"

namespace fd::render {

// Character size in thousandths of a dot:
// size * 125 * 1600 / (14400 / dpi) * magnification / 100.
[[nodiscard]] long long CharacterSizeMilli(int points, int magnification, int dpi);

// The font request of a text of descriptor `d` at the given height and cell width in
// dots: escapement rotation * 100, weight 700 when bold, italic, the entry's character
// set, face and pitch and family. Shared by the single-line and the flow engine.
[[nodiscard]] draw::FontRequest TextFont(const LayoutDescriptor& d, const draw::FontEntry& entry,
                                         int height, int width);

// The font of a static text: height size / 1000 dots, cell width size / 2000 for the
// Shift-JIS character set (else 0), escapement rotation * 100, weight 700 when bold,
// italic, the entry's character set, face and pitch and family (+4 by its first word).
// Equal requests from consecutive texts let the form pass keep its font.
[[nodiscard]] draw::FontRequest SingleLineFont(const LayoutDescriptor& d,
                                               const draw::FontEntry& entry,
                                               const draw::FormScale& scale);

// The text as placed: CR and LF bytes removed, reversed for directions 3 and 4.
[[nodiscard]] std::string SingleLineText(std::string_view text, int direction);

struct SingleLineLayout {
  draw::FontRequest font;
  bool builtIn = false;  // placed with the built-in face's fixed advances
  draw::TextPlacement placement;
  std::vector<draw::LineSegment> decorations;
};

// Lays out `text` (the piece chain's bytes) for descriptor `d`. An empty text (after CR
// and LF removal) has no runs and no decorations.
[[nodiscard]] SingleLineLayout LayOutSingleLine(const LayoutDescriptor& d, std::string_view text,
                                                const draw::FontEntry& entry,
                                                const draw::FormScale& scale,
                                                draw::TextMeasurer& measurer);

}  // namespace fd::render
