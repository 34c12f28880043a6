#include "formdraw/render/single_line.h"

#include <algorithm>

#include "formdraw/draw/characters.h"

namespace fd::render {

long long CharacterSizeMilli(int points, int magnification, int dpi) {
  const int f = draw::TwipFactor(dpi);
  if (f == 0) return 0;
  return static_cast<long long>(points) * 125 * 1600 / f * magnification / 100;
}

draw::FontRequest TextFont(const LayoutDescriptor& d, const draw::FontEntry& entry, int height,
                           int width) {
  draw::FontRequest f;
  f.height = height;
  f.width = width;
  f.escapement = d.rotation * 100;
  f.weight = d.bold == 1 ? 700 : 400;
  f.italic = d.italic == 1;
  f.charset = entry.charset;
  f.pitchAndFamily = draw::EntryPitchAndFamily(entry);
  f.face = entry.face;
  return f;
}

draw::FontRequest SingleLineFont(const LayoutDescriptor& d, const draw::FontEntry& entry,
                                 const draw::FormScale& scale) {
  const long long size = CharacterSizeMilli(d.size, scale.magnification, scale.dpi);
  return TextFont(d, entry, static_cast<int>(size / 1000),
                  entry.charset == draw::kShiftJisCharset ? static_cast<int>(size / 2000) : 0);
}

std::string SingleLineText(std::string_view text, int direction) {
  std::string kept;
  std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
               [](char c) { return c != '\r' && c != '\n'; });
  return draw::IsReversed(direction) ? draw::ReverseCharacters(kept) : kept;
}

namespace {

draw::PlacementRequest Box(const LayoutDescriptor& d, const draw::FormScale& s) {
  const bool vertical = draw::IsVertical(d.direction);
  return {draw::FormX(d.x, s), draw::FormY(d.y, s),
          draw::FormSize(vertical ? d.height : d.width, s), d.direction, d.alignment};
}

}  // namespace

SingleLineLayout LayOutSingleLine(const LayoutDescriptor& d, std::string_view text,
                                  const draw::FontEntry& entry, const draw::FormScale& scale,
                                  draw::TextMeasurer& measurer) {
  SingleLineLayout out;
  out.font = SingleLineFont(d, entry, scale);
  const std::string ordered = SingleLineText(text, d.direction);
  if (ordered.empty()) return out;
  const long long size = CharacterSizeMilli(d.size, scale.magnification, scale.dpi);
  const draw::PlacementRequest request = Box(d, scale);
  out.builtIn = draw::IsBuiltInFace(entry.face) && d.rotation == 0;
  if (out.builtIn) {
    out.placement = draw::PlaceBuiltIn(ordered, request, {size, size},
                                       draw::FormPassSqueeze(scale.magnification));
  } else {
    out.placement = draw::PlaceMeasured(ordered, request, {out.font.escapement, size, size}, measurer);
  }
  out.decorations = draw::Decorate(draw::BoxOf(out.placement), draw::IsVertical(d.direction), {d.underline, d.strike},
                                   draw::DecorationStep(scale.magnification, scale.dpi),
                                   scale.magnification, scale.dpi);
  return out;
}

}  // namespace fd::render
