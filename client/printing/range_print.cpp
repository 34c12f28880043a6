#include "client/printing/range_print.h"

#include <string>

#include "client/core/formatting.h"
#include "client/core/messages.h"
#include "client/printing/job_gate.h"
#include "client/printing/print_job.h"

namespace tb::print {
namespace {

using std::chrono::day;
using std::chrono::days;
using std::chrono::month;
using std::chrono::months;
using std::chrono::sys_days;
using std::chrono::year;
using std::chrono::year_month_day;
using std::chrono::years;

// The date of a row of labels. All three labels count, also those the kind disables: a
// day the month does not have (a disabled day label of 30 with February) makes no date,
// and the range is refused as a daily one would be. Years outside the client's date range
// (100 to 9999) make no date either: a label that could not be read arrives as 0, and
// year 0 would otherwise start a range two thousand years long.
year_month_day Ymd(int y, int m, int d) {
  if (y < 100 || y > 9999) return year_month_day{year{2000}, month{0}, day{0}};  // not ok()
  return year_month_day{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}};
}

// The first date of the period after the one that contains d.
year_month_day NextPeriod(int kind, year_month_day d) {
  if (kind == 1) return sys_days{d} + days{1};
  if (kind == 2) return year_month_day{d.year(), d.month(), day{1}} + months{1};
  return year_month_day{d.year() + years{1}, std::chrono::January, day{1}};
}

int PeriodCount(int kind, year_month_day from, year_month_day to) {
  int n = 0;
  for (auto d = from; d <= to && n < 100000; d = NextPeriod(kind, d)) ++n;
  return n;
}

void Finish(Host& host) {
  host.SetMousePointer(MousePointer::kDefault);
}

// A refused range prints nothing: the status bar does not go on saying it prints.
void Refuse(Host& host, std::string_view message) {
  Finish(host);
  host.MsgBox(message, MsgBoxButtons::kOk, msg::kCaptionConfirm);
  host.SetStatusText("");
}

}  // namespace

void RunRangePrint(ClientState& s, Host& host, const RangeDates& r) {
  host.SetStatusText(msg::kStatusPrinting);
  if (!host.HasPrinter()) {
    Refuse(host, msg::kNoPrinter);
    return;
  }
  if (!FormLibraryReady(s, host)) {
    Finish(host);
    return;
  }
  const auto start = Ymd(r.startYear, r.startMonth, r.startDay);
  const auto end = Ymd(r.endYear, r.endMonth, r.endDay);
  // A date that does not exist (2/30) cannot bound a range.
  if (start.ok() && end.ok()) {
    s.gReportDate = start;
    s.gEndDate = end;
  }
  if (!start.ok() || !end.ok() || start > end) {
    Refuse(host, msg::kBadPrintRange);
    return;
  }
  const int total = PeriodCount(s.gReportKind, start, end);
  int done = 0, i = 1;
  ValuesReadAhead ahead;
  do {
    const auto d = s.gReportDate;
    host.SetStatusText(std::string(msg::kStatusPrinting) + " " + std::to_string(++done) + "/" +
                       std::to_string(total));
    if (s.gReportKind == 2) {
      // Month M2 + i - 1 of year Y2, running into the following years past December.
      const int m0 = r.startMonth - 1 + (i - 1);
      s.gColumnCount = static_cast<std::int16_t>(DaysInMonth(r.startYear + m0 / 12, m0 % 12 + 1));
      ++i;
    }
    s.gDateKey = FormatDate(d, s.gReportKind == 1 ? "yyyy/m/d" : s.gReportKind == 2 ? "yyyy/m" : "yyyy");
    // A stopping server lets the job it finds running end and starts no other.
    const auto job = PrintJobs().Enter();
    if (!job) break;
    const auto next = NextPeriod(s.gReportKind, d);
    ahead.SetNextPeriod(next <= s.gEndDate ? std::optional(next) : std::nullopt);
    ResumeNext([&] { PrintReportPeriod(s, host, d, &ahead); });
    s.gReportDate = next;
  } while (s.gReportDate <= s.gEndDate);
  host.SetStatusText("");
  if (s.gDataCn) s.gDataCn->Close();
  s.gDataCn.reset();
  Finish(host);
}

}  // namespace tb::print
