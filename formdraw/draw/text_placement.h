// Placement of one line of text (FmPrintText, and the single-line engine of static
// texts) in device dots. Nothing is drawn: the result lists the pieces of the text's run
// (one per character, or one for the whole text) with their positions, and the position
// of the first character and the end of the last one, which field decorations use. The
// device draws the pieces of one text as one run.
//
// Directions: 1 left to right, 2 top to bottom, 3 and 4 the same with the characters in
// reverse order. Alignments: 1 start, 2 end, 3 centre, 4 spread evenly. Positions are the
// top-left of a character cell. Advances accumulate in thousandths of a dot and are
// divided by 1000 only when a position is produced, so rounding does not add up.
// Pure functions; the measured path asks the caller's measurer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formdraw/draw/text_measurer.h"

namespace fd::draw {

struct DotPoint {
  int x = 0, y = 0;
  bool operator==(const DotPoint&) const = default;
};

// One piece of a text's run: `text` (CP932) with its first cell's top-left at (x, y).
struct GlyphRun {
  std::string text;
  int x = 0, y = 0;
  bool operator==(const GlyphRun&) const = default;
};

struct TextPlacement {
  std::vector<GlyphRun> runs;
  DotPoint first;  // top-left of the first character
  DotPoint end;    // end of the last character: past its advance, and below its cell
};

struct PlacementRequest {
  int x = 0, y = 0;   // dots
  int extent = 0;     // available width (directions 1, 3) or height (2, 4), dots
  int direction = 1;  // 1 to 4
  int alignment = 1;  // 1 to 4
};

[[nodiscard]] constexpr bool IsVertical(int direction) { return direction == 2 || direction == 4; }
[[nodiscard]] constexpr bool IsReversed(int direction) { return direction == 3 || direction == 4; }

// FmPrintText's text in drawing order: directions 3 and 4 keep at most 512 bytes (never
// half a character) and reverse the characters; other directions keep the text.
[[nodiscard]] std::string OrderForDirection(std::string_view text, int direction);

// Metrics of a built-in face without escapement, in thousandths of a dot: the full
// (double-byte) character width and the font height.
struct BuiltInMetrics {
  long long widthMilli = 0;
  long long heightMilli = 0;
};

// The squeeze of an over-long text: FmPrintText moves each character back one dot per
// preceding character; the form pass moves it back magnification / 100 dots.
[[nodiscard]] constexpr long long PrintTextSqueeze() { return 1000; }
[[nodiscard]] constexpr long long FormPassSqueeze(int magnification) {
  return magnification / 100 * 1000LL;
}

// Places `text` (already in drawing order) character by character with the built-in
// face's fixed advances: single-byte half the width, double-byte the full width,
// vertical the height for every character.
[[nodiscard]] TextPlacement PlaceBuiltIn(std::string_view text, const PlacementRequest& request,
                                         const BuiltInMetrics& metrics, long long squeezeMilli);

// A font that is not built in, or has an escapement: measured by the device.
struct MeasuredFont {
  int escapement = 0;          // tenths of a degree, counter-clockwise
  long long heightMilli = 0;   // font height
  long long widthMilli = 0;    // full character width (the column width of vertical text)
};

// Places `text` (already in drawing order) on measured widths. Horizontal text without
// escapement and with alignment 1 to 3 is one run; otherwise one run per character, the
// positions following the escapement angle. Vertical text is stacked at the font height,
// each character centred in the column by its measured width.
[[nodiscard]] TextPlacement PlaceMeasured(std::string_view text, const PlacementRequest& request,
                                          const MeasuredFont& font, TextMeasurer& measurer);

}  // namespace fd::draw
