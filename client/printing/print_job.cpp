#include "client/printing/print_job.h"

#include <optional>
#include <string>

#include "client/core/formatting.h"
#include "client/core/messages.h"
#include "client/core/query_texts.h"
#include "client/core/vb_error.h"
#include "client/printing/fmdraw_api.h"
#include "client/printing/job_gate.h"
#include "client/printing/layout_queries.h"
#include "client/printing/paper_size.h"
#include "client/printing/print_environment.h"
#include "platform/share_path.h"

namespace tb::print {
namespace {

constexpr std::int32_t kDriverMask = 0x40000203;  // orientation, paper size, default source
constexpr std::int32_t kDefaultSource = 256;
constexpr int kModePrinter = 1;
constexpr int kFormNotFound = -3;

// What the paper choice settles for one job.
struct JobSetup {
  std::optional<PaperSize> paper;
  std::string formPath;  // share path as the client builds it; empty for an unknown size
};

JobSetup ChoosePaper(ClientState& s, const FmDrawApi& api, PrintJobKind kind) {
  JobSetup job;
  job.paper = FindPaperSize(s.gPaperSize, kind);
  if (!job.paper) return job;  // the form path stays empty and FmInit refuses it
  s.gPaperLayout = job.paper->layout.AsArray();
  job.formPath = s.gServerFolder + "\\TB_Format\\" + FormFileName(s.gReportKind, job.paper->formSuffix);
  api.FmSetPrinterDriver(kDriverMask, job.paper->orientation, job.paper->paperCode, 0, 0, 0, 0,
                         kDefaultSource, 0, 0, 0, 0, 0, s.gPrintSession.data());
  return job;
}

// The library opens files on this machine: the share path becomes the local file under
// the share root.
std::string LocalPath(const ClientState& s, const std::string& sharePath) {
  if (sharePath.empty()) return {};
  const auto local = platform::ResolveSharePath(sharePath, s.env.shareRoot);
  return local ? local->string() : sharePath;
}

std::int32_t OpenSession(ClientState& s, const FmDrawApi& api, const JobSetup& job) {
  return api.FmInit(0, 0, kModePrinter, 100, 0, 0, 0, 0, 0, 0, LocalPath(s, job.formPath).c_str(),
                    "", s.gPrintSession.data());
}

void ReportOpenFailure(ClientState& s, Host& host, const FmDrawApi& api, std::int32_t rc,
                       const JobSetup& job, bool writeLog) {
  if (rc == kFormNotFound) {
    host.MsgBox(msg::kFormFileMissing, MsgBoxButtons::kOk, msg::kCaptionConfirm);
    if (writeLog) WriteLog(s, host, "MainPath = " + s.gServerFolder, "FormatFile = " + job.formPath);
  } else {
    host.MsgBox(std::string(msg::kPrinterErrorPrefix) + std::to_string(rc), MsgBoxButtons::kOk, "",
                MsgBoxIcon::kExclamation);
  }
  api.FmTerm(s.gPrintSession.data());
  host.SetMousePointer(MousePointer::kDefault);
}

// The end of a page or of the document failed (the printer's disk is full, its queue
// refused the document): the job printed nothing usable, and the person is told so with
// the printer error, as for a printer that cannot be opened. The library has already
// dropped the unfinished document.
void ReportPrintFailure(Host& host, std::int32_t rc) {
  host.SetMousePointer(MousePointer::kDefault);
  host.MsgBox(std::string(msg::kPrinterErrorPrefix) + std::to_string(rc), MsgBoxButtons::kOk, "",
              MsgBoxIcon::kExclamation);
}

std::string PeriodKey(int kind, std::chrono::year_month_day d) {
  return FormatDate(d, kind == 1 ? "yyyy/m/d" : kind == 2 ? "yyyy/m" : "yyyy");
}

// Closes what a range job holds when it ends early (a database error): the session, whose
// unfinished document is cancelled (a report cut off at the failure, or a blank page when
// nothing was read, is not printed as if it were the period's report), and the value query.
class RangeJobCleanup {
 public:
  RangeJobCleanup(ClientState& s, const FmDrawApi& api) : s_(s), api_(api) {}
  ~RangeJobCleanup() {
    if (s_.gPrintSession[2] != 0) api_.FmAbort(s_.gPrintSession.data());
    s_.gDataRs.Close();
  }
  RangeJobCleanup(const RangeJobCleanup&) = delete;
  RangeJobCleanup& operator=(const RangeJobCleanup&) = delete;

 private:
  ClientState& s_;
  const FmDrawApi& api_;
};

// The period's values, on the data connection the range keeps open (opened here first).
// When the data database cannot be read the period is not printed and the person is told,
// as for the layout database; the connection is dropped, so the next period opens it anew.
void ReadPeriodValues(ClientState& s, Host& host, const std::string& key, ValuesReadAhead* ahead) {
  if (auto values = ahead ? ahead->Take(key) : std::nullopt) {
    s.gDataRs = std::move(*values);
    return;
  }
  try {
    if (!s.gDataCn) OpenDataConnection(s);
    s.gDataRs = s.gDataCn->Execute(sql::PeriodValues(s.gDataTable, key));
  } catch (const db::DbError&) {
    s.gDataCn.reset();
    host.MsgBox(msg::kDatabaseUnreachable, MsgBoxButtons::kOk, msg::kCaptionConfirm);
    throw;
  }
}

bool PageIsPrinted(const ClientState& s, LayoutQueries& layout, int page) {
  db::Recordset rs;
  layout.Run(sql::PrintPage(s.gReportKind, page), rs);
  return !rs.Eof();
}

std::string PageTitleOf(const ClientState& s, LayoutQueries& layout, int page) {
  db::Recordset rs;
  layout.Run(sql::PageTitle(s.gReportKind, page), rs);
  return rs.Eof() ? std::string() : rs.Field("Title").value_or("");
}

}  // namespace

void ValuesReadAhead::Read(ClientState& s) {
  values_.reset();
  if (!next_ || !s.gDataCn) return;
  key_ = PeriodKey(s.gReportKind, *next_);
  try {
    values_ = s.gDataCn->Execute(sql::PeriodValues(s.gDataTable, key_));
  } catch (const db::DbError&) {
    // Nothing kept: the period reads again in its own turn, and reports the error then.
  }
}

std::optional<db::Recordset> ValuesReadAhead::Take(const std::string& key) {
  std::optional<db::Recordset> values;
  if (key == key_) values.swap(values_);
  values_.reset();
  return values;
}

bool FormLibraryReady(ClientState& s, Host& host) {
  try {
    (void)BindFormLibrary(s.env.formLibrary);
    return true;
  } catch (const VbError& e) {
    WriteLog(s, host, "FormLibrary = " + s.env.formLibrary.string(), e.what());
    host.SetMousePointer(MousePointer::kDefault);
    host.MsgBox(std::string(msg::kPrinterErrorPrefix) + std::to_string(e.Number()), MsgBoxButtons::kOk,
                "", MsgBoxIcon::kExclamation);
    host.SetStatusText("");
    return false;
  }
}

void PrintReportPeriod(ClientState& s, Host& host, std::chrono::year_month_day periodDate,
                       ValuesReadAhead* ahead) {
  const FmDrawApi& api = BindFormLibrary(s.env.formLibrary);
  s.gSavedDevice = ReadDefaultDevice();
  const std::string key = PeriodKey(s.gReportKind, periodDate);
  const JobSetup job = ChoosePaper(s, api, PrintJobKind::kRange);
  const std::string heading = job.paper ? RangePeriodHeading(s, periodDate) : std::string();
  RangeJobCleanup cleanup(s, api);
  ReadPeriodValues(s, host, key, ahead);

  if (const auto rc = OpenSession(s, api, job); rc != 0) {
    ReportOpenFailure(s, host, api, rc, job, false);
    return;
  }
  // The layout of the last paper chosen (an unknown size keeps the earlier one).
  PageFiller fill(api, s, host, PaperLayout::FromArray(s.gPaperLayout));
  LayoutQueries layout(s, host);
  std::int32_t failed = 0;
  for (int page = 1; page <= s.gMaxPage && failed == 0; ++page) {
    host.DoEvents();
    if (!PageIsPrinted(s, layout, page)) continue;
    const std::string title = PageTitleOf(s, layout, page);
    s.gPageSql = sql::PageQuery(s.gItemSql, s.gReportKind, page);
    api.FmPrintForm("", s.gPrintSession.data());
    fill.Header({title, heading, page, s.gMaxPage, false});
    fill.SealBoxes(page);
    fill.RowLabels();
    fill.ItemsFromDatabase(layout);
    fill.LargeHeadings();
    failed = api.FmPrintOut(s.gPrintSession.data());
  }
  // The library draws the last page meanwhile.
  if (ahead) ahead->Read(s);
  const std::int32_t closed = api.FmTerm(s.gPrintSession.data());
  if (failed == 0) failed = closed;
  if (failed != 0) return ReportPrintFailure(host, failed);
  WriteDefaultDevice(s.gSavedDevice);
}  // the cleanup releases the value query

void PrintGridPage(ClientState& s, Host& host, GridPageView& grid) {
  if (host.MsgBox(msg::kPrintThisPage, MsgBoxButtons::kYesNo, msg::kCaptionConfirm) != MsgBoxResult::kYes)
    return;
  const auto entered = PrintJobs().Enter();
  if (!entered) return;  // the server is stopping
  // From here a failing statement is passed over and the next one runs.
  host.SetStatusText(msg::kStatusPrinting);
  ResumeNext([&] { s.gSavedDevice = ReadDefaultDevice(); });
  if (!host.HasPrinter()) {
    host.MsgBox(msg::kNoPrinter, MsgBoxButtons::kOk, msg::kCaptionConfirm);
    host.SetStatusText("");
    return;
  }
  if (!FormLibraryReady(s, host)) return;
  host.SetMousePointer(MousePointer::kHourglass);
  ResumeNext([&] {
    const FmDrawApi& api = BindFormLibrary(s.env.formLibrary);
    const JobSetup job = ChoosePaper(s, api, PrintJobKind::kPage);
    if (const auto rc = OpenSession(s, api, job); rc != 0) {
      ReportOpenFailure(s, host, api, rc, job, true);
      return;
    }
    PageFiller fill(api, s, host, PaperLayout::FromArray(s.gPaperLayout));
    api.FmPrintForm("", s.gPrintSession.data());
    ResumeNext([&] {
      fill.Header({grid.PageTitle(), WithWeatherBox(grid.PeriodCaption(), s), s.gCurrentPage,
                   s.gMaxPage, true});
    });
    ResumeNext([&] { fill.SealBoxes(s.gCurrentPage); });
    ResumeNext([&] { fill.RowLabels(); });
    ResumeNext([&] { fill.ItemsFromGrid(grid); });
    ResumeNext([&] { fill.LargeHeadings(); });
    const std::int32_t pageEnd = api.FmPrintOut(s.gPrintSession.data());
    const std::int32_t closed = api.FmTerm(s.gPrintSession.data());
    if (pageEnd != 0 || closed != 0) return ReportPrintFailure(host, pageEnd != 0 ? pageEnd : closed);
    WriteDefaultDevice(s.gSavedDevice);
  });
  host.SetMousePointer(MousePointer::kDefault);
  host.SetStatusText("");
}

}  // namespace tb::print
