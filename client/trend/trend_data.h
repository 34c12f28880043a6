// The page data a trend chart needs, taken from the grid page on show: which tags the
// page holds, and for one of them its names, unit, the period's row labels, its values
// over the period (the ones the grid shows, with the grid's maximum and minimum marks and
// summary texts) and the same tag's values of the period before (yesterday, last month,
// last year), read from the data database. Values that are Null, empty, "*" or not a
// number are gaps, never zeros.
//
// Runs on the session's UI thread, like the page it reads; it only reads the page and
// the shared state and opens a connection of its own for the period before.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "client/grid/doc_grid.h"

namespace tb::trend {

// A tag of the page on show.
struct PageTag {
  int column = 0;  // grid column, 1 to 15
  std::int64_t tagId = 0;
  std::string large, middle, small, unit;  // headings as the grid shows them
  bool minutes = false;                    // a time item: values are minutes
};

enum class Mark { kNone, kMax, kMin };

// The values of one period, one entry per period row of the page.
struct Series {
  std::vector<std::optional<double>> values;  // nullopt: a gap
  std::vector<std::string> texts;             // as the grid page shows them ("" for none)
  std::string total, average, maximum, minimum;
};

struct PreviousPeriod {
  std::string label;    // "前日", "前月" or "前年"
  std::string key, caption;
  bool read = false;    // false: the data database could not be read
  Series series;
};

struct TagTrend {
  PageTag tag;
  int kind = 0;
  std::string key, caption;        // of the period on show
  std::string rowUnit;             // "時", "日" or "月"
  std::vector<std::string> labels; // the grid's row labels
  Series current;
  std::vector<Mark> marks;         // as the grid colours the period cells
  PreviousPeriod previous;
  std::string fileBase;            // "20260307_1023": file names of saved charts
};

enum class Refusal {
  kNone,
  kLoading,    // a load is pending: the shared state may be ahead of the grid
  kNotOnPage,  // no column of the page on show holds the tag
};

struct TrendResult {
  Refusal refusal = Refusal::kNone;
  std::optional<TagTrend> trend;
};

// The tags of the page on show, left to right; empty while a load is pending.
[[nodiscard]] std::vector<PageTag> PageTags(const DocGrid& page);

// The chart data of `tagId` on the page on show.
[[nodiscard]] TrendResult TrendOf(DocGrid& page, std::int64_t tagId);

}  // namespace tb::trend
