#include "formdraw/draw/text_placement.h"

#include <cmath>
#include <numbers>

#include "formdraw/draw/characters.h"
#include "formdraw/draw/units.h"

namespace fd::draw {
namespace {

constexpr std::size_t kMaxReversedBytes = 512;

// Where the first character starts (relative to the box start) and the extra space
// after each character, in thousandths of a dot.
struct Spacing {
  long long start = 0;
  long long gap = 0;
};

Spacing Align(int alignment, int extent, long long lengthMilli, std::size_t chars) {
  const long long extentMilli = extent * 1000LL;
  switch (alignment) {
    case 2:
      return {extentMilli - lengthMilli, 0};
    case 3:
      return {(extentMilli - lengthMilli) / 2, 0};
    case 4: {
      // Fewer than two characters have nothing to spread: centred instead.
      if (chars < 2) return Align(3, extent, lengthMilli, chars);
      const long long gap = (extent - lengthMilli / 1000) * 1000 / static_cast<long long>(chars - 1);
      return {0, gap < 0 ? 0 : gap};
    }
    default:
      return {0, 0};
  }
}

// `base` plus `milli` thousandths of a dot, in whole dots (saturating).
int Dots(long long milli, int base = 0) { return ClampToInt(base + milli / 1000); }

// A point `along` thousandths of a dot from the origin in the direction of the
// escapement (counter-clockwise; y grows downwards).
DotPoint Along(const PlacementRequest& r, int escapement, long long along) {
  if (IsVertical(r.direction)) return {r.x, Dots(along, r.y)};
  if (escapement % 3600 == 0) return {Dots(along, r.x), r.y};
  const double a = escapement / 10.0 * std::numbers::pi / 180.0;
  return {Dots(std::llround(along * std::cos(a)), r.x), Dots(-std::llround(along * std::sin(a)), r.y)};
}

}  // namespace

std::string OrderForDirection(std::string_view text, int direction) {
  if (!IsReversed(direction)) return std::string(text);
  return ReverseCharacters(CutAt(text, kMaxReversedBytes));
}

TextPlacement PlaceBuiltIn(std::string_view text, const PlacementRequest& request,
                           const BuiltInMetrics& metrics, long long squeezeMilli) {
  TextPlacement out{{}, {request.x, request.y}, {request.x, request.y}};
  const auto chars = SplitCharacters(text);
  if (chars.empty()) return out;
  const bool vertical = IsVertical(request.direction);
  std::vector<long long> advances;
  advances.reserve(chars.size());
  out.runs.reserve(chars.size());
  long long length = 0;
  for (auto c : chars) {
    const long long a = vertical ? metrics.heightMilli
                                 : (c.size() == 2 ? metrics.widthMilli : metrics.widthMilli / 2);
    advances.push_back(a);
    length += a;
  }
  // An over-long text is squeezed: each character moves back by the squeeze per
  // preceding character, and the length used for alignment shrinks by the squeeze per
  // character.
  long long squeeze = 0;
  if (length > request.extent * 1000LL) {
    squeeze = squeezeMilli;
    length -= squeeze * static_cast<long long>(chars.size());
  }
  const Spacing s = Align(request.alignment, request.extent, length, chars.size());
  long long at = s.start;
  for (std::size_t i = 0; i < chars.size(); ++i) {
    if (i > 0) at += advances[i - 1] - squeeze + s.gap;
    const DotPoint p = Along(request, 0, at);
    out.runs.push_back({std::string(chars[i]), p.x, p.y});
  }
  out.first = {out.runs.front().x, out.runs.front().y};
  const DotPoint last = Along(request, 0, at + advances.back());
  out.end = vertical ? DotPoint{Dots(metrics.widthMilli, request.x), last.y}
                     : DotPoint{last.x, Dots(metrics.heightMilli, request.y)};
  return out;
}

namespace {

TextPlacement PlaceMeasuredVertical(const std::vector<std::string_view>& chars,
                                    const PlacementRequest& request, const MeasuredFont& font,
                                    TextMeasurer& measurer) {
  TextPlacement out{{}, {request.x, request.y}, {request.x, request.y}};
  const long long length = font.heightMilli * static_cast<long long>(chars.size());
  const Spacing s = Align(request.alignment, request.extent, length, chars.size());
  long long at = s.start;
  for (std::size_t i = 0; i < chars.size(); ++i) {
    if (i > 0) at += font.heightMilli + s.gap;
    const long long w = measurer.RunWidth(chars[i]);
    out.runs.push_back({std::string(chars[i]), Dots((font.widthMilli - w) / 2, request.x),
                        Dots(at, request.y)});
  }
  out.first = {out.runs.front().x, out.runs.front().y};
  out.end = {Dots(font.widthMilli, request.x), Dots(at + font.heightMilli, request.y)};
  return out;
}

}  // namespace

TextPlacement PlaceMeasured(std::string_view text, const PlacementRequest& request,
                            const MeasuredFont& font, TextMeasurer& measurer) {
  const auto chars = SplitCharacters(text);
  if (chars.empty()) return {{}, {request.x, request.y}, {request.x, request.y}};
  if (IsVertical(request.direction)) return PlaceMeasuredVertical(chars, request, font, measurer);
  const long long width = measurer.RunWidth(text);
  const Spacing s = Align(request.alignment, request.extent, width, chars.size());
  TextPlacement out;
  const int belowCell = font.escapement % 3600 == 0 ? Dots(font.heightMilli) : 0;
  if (font.escapement % 3600 == 0 && request.alignment != 4) {
    const DotPoint p = Along(request, 0, s.start);
    out.runs.push_back({std::string(text), p.x, p.y});
    out.first = p;
    const DotPoint e = Along(request, 0, s.start + width);
    out.end = {e.x, Dots(belowCell * 1000LL, e.y)};
    return out;
  }
  long long at = s.start, last = 0;
  for (std::size_t i = 0; i < chars.size(); ++i) {
    if (i > 0) at += last + s.gap;
    last = measurer.RunWidth(chars[i]);
    const DotPoint p = Along(request, font.escapement, at);
    out.runs.push_back({std::string(chars[i]), p.x, p.y});
  }
  out.first = {out.runs.front().x, out.runs.front().y};
  const DotPoint e = Along(request, font.escapement, at + last);
  out.end = {e.x, Dots(belowCell * 1000LL, e.y)};
  return out;
}

}  // namespace fd::draw
