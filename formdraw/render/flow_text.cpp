#include "formdraw/render/flow_text.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "formdraw/draw/characters.h"
#include "formdraw/render/single_line.h"

namespace fd::render {
namespace {

constexpr std::size_t kMaxLineBytes = 512;

// `base` plus `milli` thousandths of a dot, in whole dots (saturating).
int Dots(long long milli, long long base = 0) { return draw::ClampToInt(base + milli / 1000); }

// Everything the drawing of one line needs, worked out once per text.
struct FlowFrame {
  bool vertical = false;
  bool wordWrap = false;
  bool forward = true;  // line order 1
  int alignment = 1;
  int direction = 1;
  int rotation = 0;  // tens of degrees
  int left = 0, top = 0, width = 0, height = 0;
  long long spacing = 0;  // character spacing, thousandths of a dot
  long long lineAdvance = 0;
  int fontHeight = 0;
  int step = 0;
  draw::DecorationKinds kinds;
  draw::FormScale scale;

  [[nodiscard]] long long ExtentMilli() const { return (vertical ? height : width) * 1000LL; }
};

FlowFrame MakeFrame(const LayoutDescriptor& d, const draw::FormScale& s) {
  FlowFrame f;
  f.vertical = draw::IsVertical(d.direction);
  f.wordWrap = (d.flowFlags & 2) != 0;
  f.forward = d.lineOrder == 1;
  f.alignment = d.alignment;
  f.direction = d.direction;
  f.rotation = d.rotation;
  f.left = draw::FormX(d.x, s);
  f.top = draw::FormY(d.y, s);
  f.width = draw::FormSize(d.width, s);
  f.height = draw::FormSize(d.height, s);
  f.spacing = PointsToMilli(d.charSpacing - 128, s);
  f.lineAdvance = PointsToMilli(d.size + d.lineSpacing - 128, s);
  f.fontHeight = Dots(PointsToMilli(d.size, s));
  f.step = draw::DecorationStep(s.magnification, s.dpi);
  f.kinds = {d.underline, d.strike};
  f.scale = s;
  return f;
}

// The line's text as drawn: blanks dropped (flag bit 1), cut at 512 bytes, reversed for
// directions 3 and 4. A blank (0x20) is never the second byte of a double-byte
// character, so trimming bytes cannot split one.
std::string LineText(std::string_view text, const FlowLine& line, const FlowFrame& f) {
  std::string_view s = text.substr(line.begin, line.end - line.begin);
  if (f.wordWrap) {
    const bool allBlank = s.find_first_not_of(' ') == std::string_view::npos;
    const std::size_t last = s.find_last_not_of(' ');
    s = last == std::string_view::npos ? std::string_view{} : s.substr(0, last + 1);
    if (!line.paragraphFirst && !allBlank) s.remove_prefix(std::min(s.find_first_not_of(' '), s.size()));
  }
  s = draw::CutAt(s, kMaxLineBytes);
  return draw::IsReversed(f.direction) ? draw::ReverseCharacters(s) : std::string(s);
}

// Where the line's first cell sits across the lines: y of a horizontal line, x of a
// vertical one.
int LinePosition(const FlowFrame& f, std::size_t index) {
  const long long k = static_cast<long long>(index);
  if (!f.vertical) {
    return f.forward ? Dots(k * f.lineAdvance, f.top)
                     : Dots(-(k + 1) * f.lineAdvance, 0LL + f.top + f.height);
  }
  return f.forward ? Dots(-(k + 1) * f.lineAdvance, 0LL + f.left + f.width)
                   : Dots(k * f.lineAdvance, f.left);
}

struct LineSpacing {
  long long start = 0, gap = 0;
};

// Spread lines share out the free length; the others are separated by the character
// spacing and placed at the start, the end or the centre of the box.
LineSpacing SpaceLine(const FlowFrame& f, std::size_t chars, long long measured, bool spread) {
  const long long n = static_cast<long long>(chars);
  if (spread) {
    if (n < 2) return {0, 0};
    const long long gap = (f.ExtentMilli() - measured) / (n - 1);
    return {0, std::max(0LL, gap)};  // an over-full line is not pulled together
  }
  const long long free = f.ExtentMilli() - f.spacing * (n - 1) - measured;
  if (f.alignment == 2) return {free, f.spacing};
  if (f.alignment == 3) return {free / 2, f.spacing};
  return {0, f.spacing};
}

// Turns a character's origin about the centre of its cell by the text's rotation
// (counter-clockwise, y downwards).
draw::DotPoint Turn(draw::DotPoint p, long long cellW, long long cellH, int rotation) {
  if (rotation % 36 == 0) return p;
  const double a = rotation * 10.0 * std::numbers::pi / 180.0;
  const double cx = p.x + cellW / 2000.0, cy = p.y + cellH / 2000.0;
  const double dx = p.x - cx, dy = p.y - cy;
  return {draw::ClampToInt(std::llround(cx + dx * std::cos(a) + dy * std::sin(a))),
          draw::ClampToInt(std::llround(cy - dx * std::sin(a) + dy * std::cos(a)))};
}

class LineDrawer {
 public:
  LineDrawer(const FlowFrame& f, draw::TextMeasurer& m) : f_(f), m_(m) {}

  FlowLineLayout Draw(std::string_view text, const FlowLine& line, std::size_t index) {
    FlowLineLayout out{line, {}, {}};
    const std::string drawn = LineText(text, line, f_);
    const auto chars = draw::SplitCharacters(drawn);
    if (chars.empty()) return out;
    const bool spread = f_.alignment == 4 || (f_.wordWrap && !line.paragraphLast);
    const LineSpacing s = SpaceLine(f_, chars.size(), Measure(drawn), spread);
    const int across = LinePosition(f_, index);
    long long prefixEnd = 0;
    for (std::size_t i = 0; i < chars.size(); ++i) {
      const std::string_view prefix(drawn.data(), static_cast<std::size_t>(chars[i].data() - drawn.data()));
      const long long along = s.start + Measure(prefix) + static_cast<long long>(i) * s.gap;
      const long long w = m_.RunWidth(chars[i]), h = m_.CharHeight(chars[i]);
      const draw::DotPoint p = Place(across, along);
      const draw::DotPoint turned = Turn(p, w, f_.vertical ? h : f_.fontHeight * 1000LL, f_.rotation);
      out.chars.push_back({std::string(chars[i]), turned.x, turned.y});
      prefixEnd = along + (f_.vertical ? h : w);
    }
    out.decorations = Decorate(across, s.start, prefixEnd);
    return out;
  }

 private:
  // A horizontal run measured as a whole; a vertical one as the sum of its heights.
  long long Measure(std::string_view run) {
    if (!f_.vertical) return run.empty() ? 0 : m_.RunWidth(run);
    long long sum = 0;
    for (auto c : draw::SplitCharacters(run)) sum += m_.CharHeight(c);
    return sum;
  }

  draw::DotPoint Place(int across, long long along) const {
    if (f_.vertical) return {across, Dots(along, f_.top)};
    return {Dots(along, f_.left), across};
  }

  std::vector<draw::LineSegment> Decorate(int across, long long from, long long to) const {
    const draw::DotPoint a = Place(across, from), b = Place(across, to);
    const draw::TextBox box = f_.vertical
                                  ? draw::TextBox{across, a.y, Dots(0, 0LL + across + f_.fontHeight), b.y}
                                  : draw::TextBox{a.x, across, b.x, Dots(0, 0LL + across + f_.fontHeight)};
    return draw::Decorate(box, f_.vertical, f_.kinds, f_.step, f_.scale.magnification,
                          f_.scale.dpi);
  }

  const FlowFrame& f_;
  draw::TextMeasurer& m_;
};

draw::DotRect Clip(const FlowFrame& f, const LayoutDescriptor& d) {
  const long long advance = PointsToMilli(d.size + d.charSpacing - 128, f.scale);
  const int widen = std::max(0, Dots(2 * advance));
  return {Dots(0, 0LL + f.left - widen), Dots(0, 0LL + f.top - widen),
          Dots(0, 0LL + f.left + f.width), Dots(0, 0LL + f.top + f.height)};
}

}  // namespace

long long PointsToMilli(long long points, const draw::FormScale& scale) {
  return points * scale.dpi * 1000 / 72 * scale.magnification / 100;
}

draw::FontRequest FlowFont(const LayoutDescriptor& d, const draw::FontEntry& entry,
                           const draw::FormScale& scale) {
  const int height =
      static_cast<int>(static_cast<long long>(d.size) * scale.dpi / 72 * scale.magnification / 100);
  return TextFont(d, entry, height, entry.charset == draw::kShiftJisCharset ? height / 2 : 0);
}

FlowLayout LayOutFlowText(const LayoutDescriptor& d, std::string_view text,
                          const draw::FontEntry& entry, const draw::FormScale& scale,
                          std::string_view hangingList, draw::TextMeasurer& measurer) {
  const FlowFrame frame = MakeFrame(d, scale);
  FlowLayout out{FlowFont(d, entry, scale), Clip(frame, d), {}};
  const BreakOptions options{frame.ExtentMilli(), frame.spacing, frame.vertical,
                             (d.flowFlags & 1) != 0, frame.wordWrap, hangingList};
  LineDrawer drawer(frame, measurer);
  const auto lines = BreakLines(text, options, measurer);
  for (std::size_t i = 0; i < lines.size(); ++i) out.lines.push_back(drawer.Draw(text, lines[i], i));
  return out;
}

}  // namespace fd::render
