#include "client/archive/report_description.h"

#include "client/core/formatting.h"
#include "client/core/query_texts.h"
#include "client/grid/period_step.h"

namespace tb::archive {

namespace {

constexpr const char* kUnitWords[] = {"時", "日", "月"};

// The MAXP of the page-count query, or 0 when the layout has no rows or cannot be read.
std::int16_t PageCount(ClientState& s, Host& host, int kind) {
  db::Recordset rs;
  if (!OpenKanriQuery(s, host, sql::PageCount(kind), rs)) return 0;
  std::int16_t pages = 0;
  if (!rs.Eof())
    if (const auto& maxp = rs.Field("MAXP")) pages = ParseInt16(*maxp).value_or(0);
  CloseKanriQuery(s, rs);
  return pages;
}

}  // namespace

void DescribePeriod(ClientState& s, Host& host, const Period& p) {
  const int kind = static_cast<int>(p.kind);
  s.gReportKind = static_cast<std::int16_t>(kind);
  s.gDataTable = std::string(sql::DataTable(kind));
  s.gDateKey = KeyOf(p);
  s.gReportDate = p.date;
  s.gDateCaption = PeriodCaption(kind, p.date, s.gWesternYear);
  s.gColumnCount = static_cast<std::int16_t>(
      p.kind == Kind::kDaily     ? 24
      : p.kind == Kind::kMonthly ? DaysInMonth(static_cast<int>(p.date.year()), static_cast<int>(unsigned{p.date.month()}))
                                 : 12);
  s.gPeriodStart = p.kind == Kind::kDaily     ? s.gDayStartHour
                   : p.kind == Kind::kMonthly ? s.gMonthStartDay
                                              : s.gYearStartMonth;
  s.gPeriodUnit = kUnitWords[kind - 1];
  s.gItemSql = sql::ItemQuery(kind);
  s.gMaxPage = PageCount(s, host, kind);
}

std::vector<int> PrintedPages(ClientState& s, Host& host) {
  std::vector<int> pages;
  for (int page = 1; page <= s.gMaxPage; ++page) {
    db::Recordset rs;
    if (!OpenKanriQuery(s, host, sql::PrintPage(s.gReportKind, page), rs)) continue;
    if (!rs.Eof()) pages.push_back(page);
    CloseKanriQuery(s, rs);
  }
  return pages;
}

}  // namespace tb::archive
