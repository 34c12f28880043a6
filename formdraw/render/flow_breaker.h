// Line breaking of flowed text (static texts and data fields with a non-zero line
// order). A CR LF pair ends a line (an empty line counts); otherwise a line takes the
// characters whose measured extents plus the character spacing, added up, stay below
// the available length; a line holds at least one character and never splits a
// double-byte character. Two refinements by flow flag:
//  - bit 0: a double-byte character of the form's hanging-character list that would
//    begin the next line stays on this one (it hangs past the end);
//  - bit 1: a break inside a run of single-byte word characters (codes 33 to 44 and 46
//    to 127) moves back to the start of the run, unless the run begins the line.
// At most 1000 lines. Lines are byte ranges of the caller's text; pure function.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "formdraw/draw/text_measurer.h"

namespace fd::render {

inline constexpr std::size_t kMaxFlowLines = 1000;

struct FlowLine {
  std::size_t begin = 0, end = 0;  // bytes [begin, end) of the text, without the CR LF
  bool paragraphFirst = false;     // first line of the text or after a CR LF
  bool paragraphLast = false;      // a CR LF or the end of the text follows
  bool operator==(const FlowLine&) const = default;
};

struct BreakOptions {
  long long availableMilli = 0;  // box width (horizontal) or height (vertical)
  long long spacingMilli = 0;    // character spacing, added after every character
  bool vertical = false;         // measure heights instead of widths
  bool hang = false;             // flow flag bit 0
  bool wordWrap = false;         // flow flag bit 1
  std::string_view hangingList;  // double-byte characters, two bytes each
};

[[nodiscard]] std::vector<FlowLine> BreakLines(std::string_view text, const BreakOptions& options,
                                               draw::TextMeasurer& measurer);

// True for the single-byte characters that form words (codes 33 to 44 and 46 to 127).
[[nodiscard]] constexpr bool IsWordByte(unsigned char b) {
  return (b >= 33 && b <= 44) || (b >= 46 && b <= 127);
}

}  // namespace fd::render
