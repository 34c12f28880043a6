// Making the device objects of the session's drawing settings: the pen of a line
// setting, the brush of a pattern, the font of a font setting, each in the session's
// colours (black on monochrome devices). Used by the setting calls and by the page
// start, which re-applies the settings last given.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "formdraw/session/work_area.h"

namespace fmdraw::session {

// The two built-in faces: 1 = "ＭＳ 明朝", 2 and 3 = "ＭＳ ゴシック" (CP932).
std::string BuiltInFace(int32_t face);

// Windows font constants used for the library's fonts.
inline constexpr int32_t kShiftJisCharset = 128;
inline constexpr int32_t kFixedPitchRoman = 0x01 | 0x10;

// The 8 x 8 bitmap of pattern 8 to 13, one byte a row, left pixel in the high bit.
const std::array<uint8_t, 8>& PatternBitmap(int32_t pattern);

// The colour that pens, brushes and text take: the text colour on colour devices.
device::Color DrawingColor(const WorkArea& area);
device::Color BackgroundColor(const WorkArea& area);

device::Pen PenForLine(const WorkArea& area, const LineSetting& line);
device::Brush BrushForPattern(const WorkArea& area, int32_t pattern);

// Select the object into the device and set its colours; false when it cannot be made.
bool ApplyLine(WorkArea& area, const LineSetting& line);
bool ApplyPattern(WorkArea& area, int32_t pattern);
bool ApplyFont(WorkArea& area, const FontSetting& font);

}  // namespace fmdraw::session
