#include "formdraw/draw/session_font.h"

#include <string>

#include "formdraw/draw/units.h"

namespace fd::draw {
namespace {

// Sizes after magnification, in dots and thousandths of a dot.
SessionFont Sized(int width, int height, int magnification, int dpi) {
  SessionFont f;
  const int w = Magnify(width, magnification), h = Magnify(height, magnification);
  f.request.height = MmToDots(h, dpi);
  f.request.width = MmToDots(w, dpi) / 2;
  f.widthMilli = MmToMilliDots(w, dpi);
  f.heightMilli = MmToMilliDots(h, dpi);
  return f;
}

}  // namespace

std::string_view BuiltInFace(int faceNumber) { return faceNumber == 1 ? kMinchoFace : kGothicFace; }

SessionFont MakeSetFont(int width, int height, int faceNumber, bool italic, bool bold,
                        int magnification, int dpi) {
  SessionFont f = Sized(width, height, magnification, dpi);
  f.request.weight = bold ? 700 : 400;
  f.request.italic = italic;
  f.request.charset = kShiftJisCharset;
  f.request.pitchAndFamily = kFixedPitchRoman;
  f.request.face = std::string(BuiltInFace(faceNumber));
  f.builtIn = true;
  return f;
}

SessionFont MakeCreateFont(const CreateFontArgs& a, int magnification, int dpi) {
  SessionFont f = Sized(a.width, a.height, magnification, dpi);
  const int degrees = a.escapement >= 360 ? a.escapement % 360 : a.escapement;
  f.request.escapement = degrees * 10;
  f.request.weight = a.bold ? 700 : 400;
  f.request.italic = a.italic;
  f.request.charset = a.charset;
  f.request.pitchAndFamily = a.pitch | a.family;
  f.request.face = std::string(a.face);
  f.builtIn = degrees == 0 && IsBuiltInFace(a.face);
  return f;
}

}  // namespace fd::draw
