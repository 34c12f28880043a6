// The values of a chart as a CSV file: the period caption, a heading line, one line per
// period row and the four summary lines, for the charted tag, the same tag's period
// before, and the tags added to the chart, in that order. Every field is quoted (a double
// quote inside doubled) and followed by a comma, lines end in CR LF and the file is CP932,
// as the grid page's own CSV export writes. Pure functions.
#pragma once

#include <span>
#include <string>

#include "client/trend/trend_data.h"

namespace tb::trend {

// The CSV text (UTF-8). `added` are the other tags drawn with `main`.
[[nodiscard]] std::string TrendCsvText(const TagTrend& main, std::span<const TagTrend> added);

// The same as the file's bytes (CP932).
[[nodiscard]] std::string TrendCsvFile(const TagTrend& main, std::span<const TagTrend> added);

// A tag's name for a heading: its headings joined by blanks, the unit in brackets.
[[nodiscard]] std::string TagTitle(const PageTag& tag);

}  // namespace tb::trend
