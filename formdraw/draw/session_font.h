// The session font made by FmSetFont and FmCreateFont, as numbers: the font to select on
// the device, and the sizes FmPrintText places with (full character width and height in
// thousandths of a dot). Sizes come in 0.01 mm and get the current form's magnification
// first. Argument checks (the -2 results) are the caller's. Pure functions.
#pragma once

#include <string_view>

#include "formdraw/draw/font_request.h"

namespace fd::draw {

// Fixed pitch, roman family: the pitch-and-family byte of the built-in fonts.
inline constexpr int kFixedPitchRoman = 0x11;

struct SessionFont {
  FontRequest request;
  long long widthMilli = 0;   // full-width character width, thousandths of a dot
  long long heightMilli = 0;
  bool builtIn = false;       // a built-in face without escapement: fixed advances
  bool operator==(const SessionFont&) const = default;
};

// The face of FmSetFont's face number: 1 "ＭＳ 明朝", 2 and 3 "ＭＳ ゴシック".
[[nodiscard]] std::string_view BuiltInFace(int faceNumber);

// FmSetFont: height in dots, cell width half the width in dots, weight 700 when bold,
// Shift-JIS, fixed pitch roman family, the built-in face.
[[nodiscard]] SessionFont MakeSetFont(int width, int height, int faceNumber, bool italic,
                                      bool bold, int magnification, int dpi);

struct CreateFontArgs {
  int width = 0, height = 0;  // 0.01 mm
  int escapement = 0;         // degrees; 360 and above taken modulo 360
  bool bold = false, italic = false;
  int charset = kShiftJisCharset;
  int pitch = 0, family = 0;
  std::string_view face;
};

// FmCreateFont: as FmSetFont with the given escapement (tenths of a degree), character
// set, pitch | family and face; built-in only for a built-in face without escapement.
[[nodiscard]] SessionFont MakeCreateFont(const CreateFontArgs& args, int magnification, int dpi);

}  // namespace fd::draw
