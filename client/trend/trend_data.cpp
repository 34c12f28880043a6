#include "client/trend/trend_data.h"

#include <cmath>

#include "client/core/formatting.h"
#include "client/core/query_texts.h"
#include "client/grid/cell_value_rule.h"
#include "client/grid/period_step.h"

namespace tb::trend {

namespace {

constexpr int kHeadingRows = 4;  // large, middle, small heading, unit
constexpr int kDaily = 1, kMonthly = 2, kYearly = 3;

// A stored value as a point of the curve: numbers only; Null, "", "*" and any other text
// leave a gap.
std::optional<double> PointOf(const db::Value& v) {
  if (!v || v->empty()) return std::nullopt;
  const auto x = ParseDouble(*v);
  if (!x || !std::isfinite(*x)) return std::nullopt;
  return x;
}

PageTag TagOfColumn(const DocGrid& page, int col) {
  const FlexGrid& g = page.Grid();
  PageTag t;
  t.column = col;
  t.tagId = page.ShownTagOf(col).tagId;
  t.large = g.TextMatrix(0, col);
  t.middle = g.TextMatrix(1, col);
  t.small = g.TextMatrix(2, col);
  t.unit = g.TextMatrix(3, col);
  t.minutes = page.ShownTagOf(col).displayType == kDisplayTypeMinutes;
  return t;
}

// The period on show, as the grid shows it: values recorded by the load, texts, marks and
// summaries from the grid's own cells.
void ReadCurrent(const DocGrid& page, int col, int n, TagTrend& t) {
  const FlexGrid& g = page.Grid();
  const ShownTag& shown = page.ShownTagOf(col);
  for (int i = 1; i <= n; ++i) {
    const int row = i + kHeadingRows - 1;
    t.labels.push_back(g.TextMatrix(row, 0));
    const bool stored = static_cast<size_t>(i) <= shown.values.size();
    t.current.values.push_back(stored ? PointOf(shown.values[size_t(i) - 1]) : std::nullopt);
    t.current.texts.push_back(g.TextMatrix(row, col));
    const auto fore = g.CellForeColour(row, col);
    t.marks.push_back(fore == kRed ? Mark::kMax : fore == kBlue ? Mark::kMin : Mark::kNone);
  }
  t.current.total = g.TextMatrix(n + 4, col);
  t.current.average = g.TextMatrix(n + 5, col);
  t.current.maximum = g.TextMatrix(n + 6, col);
  t.current.minimum = g.TextMatrix(n + 7, col);
}

int RowsOfPeriod(int kind, std::chrono::year_month_day d) {
  if (kind == kMonthly)
    return DaysInMonth(static_cast<int>(d.year()), static_cast<int>(unsigned(d.month())));
  return kind == kDaily ? 24 : 12;
}

std::string TextOf(const db::Value& v, bool summary, const ShownTag& shown, int ketaFlg) {
  if (!v || v->empty()) return {};
  const auto text = summary ? SummaryCellText(*v, shown.displayType, shown.pattern, ketaFlg)
                            : PeriodCellText(*v, shown.displayType, shown.pattern, ketaFlg);
  return text.value_or(std::string());
}

// The same tag one period back, laid on the rows of the period on show: row i of both is
// "DATA_" & i. A longer period before (31 days before 30) loses its last rows, a shorter
// one leaves gaps at the end.
void ReadPrevious(ClientState& s, const ShownTag& shown, int n, PreviousPeriod& p) {
  const auto date = SteppedDate(s.gReportKind, s.gReportDate, -1);
  p.label = s.gReportKind == kDaily ? "前日" : s.gReportKind == kMonthly ? "前月" : "前年";
  p.key = PeriodKey(s.gReportKind, date);
  p.caption = PeriodCaption(s.gReportKind, date, s.gWesternYear);
  p.series.values.assign(static_cast<size_t>(n), std::nullopt);
  p.series.texts.assign(static_cast<size_t>(n), std::string());
  db::Recordset rs;
  try {
    auto cn = db::Connection::Open(s.gConnectString, s.DbContext());
    rs = cn->Execute(sql::TagValues(s.gDataTable, p.key, shown.tagId));
    cn->Close();
  } catch (const std::exception&) {
    return;  // p.read stays false: the chart shows the period on show alone
  }
  p.read = true;
  if (rs.Eof()) return;
  const int rows = std::min(n, RowsOfPeriod(s.gReportKind, date));
  const auto field = [&](const std::string& name) -> db::Value {
    return rs.HasColumn(name) ? rs.Field(name) : db::Value{};
  };
  for (int i = 1; i <= rows; ++i) {
    const auto v = field("DATA_" + std::to_string(i));
    p.series.values[size_t(i) - 1] = PointOf(v);
    p.series.texts[size_t(i) - 1] = TextOf(v, false, shown, s.gKetaFlg);
  }
  p.series.total = TextOf(field("TOTAL"), true, shown, s.gKetaFlg);
  p.series.average = TextOf(field("AVE"), true, shown, s.gKetaFlg);
  p.series.maximum = TextOf(field("MAX"), true, shown, s.gKetaFlg);
  p.series.minimum = TextOf(field("MIN"), true, shown, s.gKetaFlg);
}

std::string FileBase(const ClientState& s, std::int64_t tagId) {
  const char* picture = s.gReportKind == kDaily     ? "yyyymmdd"
                        : s.gReportKind == kMonthly ? "yyyymm"
                                                    : "yyyy";
  return FormatDate(s.gReportDate, picture) + "_" + std::to_string(tagId);
}

}  // namespace

std::vector<PageTag> PageTags(const DocGrid& page) {
  std::vector<PageTag> tags;
  if (page.LoadPending()) return tags;
  for (int col : page.TagColumns()) tags.push_back(TagOfColumn(page, col));
  return tags;
}

TrendResult TrendOf(DocGrid& page, std::int64_t tagId) {
  if (page.LoadPending()) return {Refusal::kLoading, std::nullopt};
  int col = 0;
  for (int c : page.TagColumns())
    if (page.ShownTagOf(c).tagId == tagId) col = c;  // the grid shows the last of equals
  if (col == 0 || tagId == 0) return {Refusal::kNotOnPage, std::nullopt};
  ClientState& s = page.State();
  const int n = s.gColumnCount;
  if (s.gReportKind < kDaily || s.gReportKind > kYearly || n < 1 ||
      page.Grid().Rows() < n + 8 || page.Grid().Cols() <= col)
    return {Refusal::kNotOnPage, std::nullopt};  // no report period on show
  TagTrend t;
  t.tag = TagOfColumn(page, col);
  t.kind = s.gReportKind;
  t.key = s.gDateKey;
  t.caption = s.gDateCaption;
  t.rowUnit = page.Grid().TextMatrix(3, 0);
  ReadCurrent(page, col, n, t);
  ReadPrevious(s, page.ShownTagOf(col), n, t.previous);
  t.fileBase = FileBase(s, tagId);
  return {Refusal::kNone, std::move(t)};
}

}  // namespace tb::trend
