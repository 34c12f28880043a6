#include "formdraw/barcode/layout.h"

#include <algorithm>
#include <tuple>

namespace fd::barcode {
namespace {

struct Widths {
  int narrowBar = 1, narrowSpace = 1, wideBar = 2, wideSpace = 3, gap = 0;
  std::array<int, 4> moduleBar{1, 2, 3, 4}, moduleSpace{1, 2, 3, 4};
  int quietSpace = 7;  // the 7-module space that ends a JAN code
  int startSpace = 0;  // the 0-module space that opens a JAN code
};

bool IsJan(Symbology s) { return s == Symbology::kJan13 || s == Symbology::kJan8; }

// Narrow width in 0.01 mm from the extent; 0 when the divisor is not positive.
int NarrowMm(Symbology s, long long extent, long long length, long long g) {
  auto div = [&](long long d) { return d > 0 ? static_cast<int>(extent / d) : 0; };
  switch (s) {
    case Symbology::kJan13: return div(141 + 26 * g);
    case Symbology::kJan8: return div(101 + 18 * g);
    case Symbology::kCode39: {
      const int w = div(length * (18 + g));
      if (w <= 45) return w;
      return 15 * length > 0 ? static_cast<int>((extent - 135 * (length - 1)) / (15 * length)) : 0;
    }
    case Symbology::kItf: return div(length * (9 + g) + 8);
    case Symbology::kNw7: return div(length * (14 + g) + 2);
  }
  return 0;
}

// Wide bar and wide space from the narrow width n.
std::pair<int, int> WideFromNarrow(Symbology s, int n) {
  if (n == 1) return {2, 3};
  if (n == 2) return {5, 5};
  if (n == 3) return {8, 8};
  switch (s) {
    case Symbology::kCode39: return {23 * n / 10, 27 * n / 10};
    case Symbology::kItf: return {26 * n / 10, 28 * n / 10};
    default: return {25 * n / 10, 25 * n / 10};
  }
}

int Nw7Gap(int narrowMm, int n) { return narrowMm <= 25 ? 5 * n : narrowMm <= 45 ? 4 * n : 3 * n; }

Widths Computed(Symbology s, int n, int narrowMm) {
  Widths w;
  w.narrowBar = w.narrowSpace = n;
  std::tie(w.wideBar, w.wideSpace) = WideFromNarrow(s, n);
  w.gap = s == Symbology::kCode39 ? 3 * n : s == Symbology::kNw7 ? Nw7Gap(narrowMm, n) : 0;
  for (int m = 0; m < 4; ++m) w.moduleBar[m] = w.moduleSpace[m] = (m + 1) * n;
  w.quietSpace = 7 * n;
  return w;
}

Widths Explicit(Symbology s, const std::array<std::int16_t, 8>& v, int narrowMm) {
  Widths w;
  if (IsJan(s)) {
    for (int m = 0; m < 4; ++m) {
      w.moduleBar[m] = v[2 * m];
      w.moduleSpace[m] = v[2 * m + 1];
    }
    // Start, centre and end elements take the 1-module widths.
    w.quietSpace = v[1];
    w.startSpace = v[1];
    return w;
  }
  w.narrowBar = v[0];
  w.narrowSpace = v[1];
  w.wideBar = v[2];
  w.wideSpace = v[3];
  // Code 39 has its own gap value; NW-7 takes its gap from the explicit narrow bar.
  w.gap = s == Symbology::kCode39 ? v[4] : s == Symbology::kNw7 ? Nw7Gap(narrowMm, v[0]) : 0;
  return w;
}

int ElementWidth(const Widths& w, const Element& e) {
  switch (e.width) {
    case Width::kNarrow: return e.bar ? w.narrowBar : w.narrowSpace;
    case Width::kWide: return e.bar ? w.wideBar : w.wideSpace;
    case Width::kGap: return w.gap;
    case Width::kModule7: return w.quietSpace;
    case Width::kStartSpace: return w.startSpace;
    default: {
      const auto m = static_cast<std::size_t>(static_cast<int>(e.width) - static_cast<int>(Width::kModule1));
      return e.bar ? w.moduleBar[m] : w.moduleSpace[m];
    }
  }
}

}  // namespace

int ExplicitSetIndex(Symbology s) {
  switch (s) {
    case Symbology::kCode39: return 0;
    case Symbology::kJan13: return 1;
    case Symbology::kJan8: return 2;
    case Symbology::kItf: return 3;
    case Symbology::kNw7: return 4;
  }
  return 0;
}

int MmToDots(long long v, int dpi) {
  if (dpi <= 0) return 0;
  return static_cast<int>(v * 1000 / (2540000 / dpi));
}

Layout LayOut(Symbology s, std::string_view encoded, int extentMm, int dpi,
              const BarSettings& settings, bool display) {
  Layout out;
  out.narrowMm = NarrowMm(s, extentMm, static_cast<long long>(encoded.size()), settings.gain);
  int n = std::max(1, MmToDots(out.narrowMm, dpi));
  const auto& set = settings.explicitSets[static_cast<std::size_t>(ExplicitSetIndex(s))];
  bool useExplicit = false;
  if (!display) {
    if (settings.minimumNarrow > 0 && settings.minimumNarrow > n) n = settings.minimumNarrow;
    useExplicit = set[0] != 0;
  }
  out.narrowDots = useExplicit ? set[0] : n;
  const Widths w = useExplicit ? Explicit(s, set, out.narrowMm) : Computed(s, n, out.narrowMm);

  // Printers spread ink: bars are widened by the gain and spaces advance a little more,
  // so that the bars drawn with their inclusive right edge keep the intended spaces.
  int barExtra = 0, spaceExtra = 0;
  if (!display && !useExplicit) {
    const bool wideEnough = n >= (IsJan(s) ? 2 : 3);
    barExtra = wideEnough ? settings.gain : 0;
    spaceExtra = wideEnough ? 2 : 1;
  }
  int pos = 0;
  for (const auto& e : Elements(s, encoded)) {
    const int width = ElementWidth(w, e);
    if (e.bar) {
      out.bars.push_back({pos, width + barExtra});
      pos += width;
    } else {
      pos += width + spaceExtra;
    }
  }
  out.length = pos;
  return out;
}

}  // namespace fd::barcode
