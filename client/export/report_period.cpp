#include "client/export/report_period.h"

#include <charconv>
#include <vector>

#include "client/core/formatting.h"
#include "client/core/messages.h"
#include "client/core/query_texts.h"
#include "client/grid/period_step.h"

namespace tb::workbook {

namespace {

using namespace std::chrono;

std::optional<std::vector<int>> Numbers(std::string_view key) {
  std::vector<int> out;
  while (true) {
    const size_t slash = key.find('/');
    const auto part = key.substr(0, slash);
    int value = 0;
    const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || part.size() > 4 || ec != std::errc{} || end != part.data() + part.size())
      return std::nullopt;
    out.push_back(value);
    if (slash == std::string_view::npos) return out;
    key.remove_prefix(slash + 1);
  }
}

}  // namespace

std::optional<year_month_day> ParsePeriodKey(int kind, std::string_view key) {
  if (kind < 1 || kind > 3) return std::nullopt;
  const auto n = Numbers(key);
  if (!n || n->size() != static_cast<size_t>(4 - kind)) return std::nullopt;
  const int y = (*n)[0];
  const unsigned m = kind <= 2 ? static_cast<unsigned>((*n)[1]) : 1u;
  const unsigned d = kind == 1 ? static_cast<unsigned>((*n)[2]) : 1u;
  const year_month_day date{year{y}, month{m}, day{d}};
  if (y < 100 || y > 9999 || !date.ok()) return std::nullopt;
  return date;
}

bool DescribePeriod(ClientState& s, Host& host, int kind, year_month_day first) {
  s.gReportKind = static_cast<std::int16_t>(kind);
  s.gReportDate = first;
  s.gDateKey = PeriodKey(kind, first);
  s.gDateCaption = PeriodCaption(kind, first, s.gWesternYear);
  const int y = static_cast<int>(first.year());
  const int m = static_cast<int>(static_cast<unsigned>(first.month()));
  s.gColumnCount = static_cast<std::int16_t>(kind == 1 ? 24 : kind == 2 ? DaysInMonth(y, m) : 12);
  s.gPeriodStart = kind == 1 ? s.gDayStartHour : kind == 2 ? s.gMonthStartDay : s.gYearStartMonth;
  s.gPeriodUnit = kind == 1 ? "時" : kind == 2 ? "日" : "月";
  s.gDataTable = std::string(sql::DataTable(kind));
  s.gItemSql = sql::ItemQuery(kind);
  s.gCurrentPage = 1;
  s.gMaxPage = 0;
  if (!OpenKanriQuery(s, host, sql::PageCount(kind), s.gKanriRs)) return false;
  bool read = true;
  try {
    // No layout rows at all: MAXP is Null and the period has no pages.
    if (!s.gKanriRs.Eof())
      if (const auto& maxp = s.gKanriRs.Field("MAXP"))
        s.gMaxPage = ParseInt16(*maxp).value_or(0);
  } catch (const std::exception&) {
    // A layout table whose rows cannot be read: said as the client says it for a table.
    host.MsgBox(tb::msg::kTableAccessFault, MsgBoxButtons::kOk, tb::msg::kCaptionConfirm);
    read = false;
  }
  CloseKanriQuery(s, s.gKanriRs);
  return read;
}

}  // namespace tb::workbook
