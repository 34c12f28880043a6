#include "tools/tbexport/export_run.h"

#include "client/core/client_state.h"
#include "client/export/period_workbook.h"
#include "client/export/report_period.h"
#include "client/export/unattended_host.h"

namespace tbexport {

namespace {

// Every message the client showed, one a line.
int Failed(const std::vector<std::string>& messages, std::ostream& err) {
  for (const auto& m : messages) err << "tbexport: " << m << "\n";
  return 1;
}

}  // namespace

int Run(const Options& o, std::ostream& out, std::ostream& err) {
  std::error_code ec;
  for (const auto& dir : {o.shareRoot, o.clientDir})
    if (!std::filesystem::is_directory(dir, ec)) {
      err << "tbexport: no such folder: " << dir.string() << "\n";
      return 2;
    }
  tb::workbook::UnattendedHost host;
  tb::ClientState s;
  s.env = {o.shareRoot, o.clientDir, o.cacheDir, {}};
  tb::SetServerLocation(s, host.LocationUrl());
  tb::ReadSettings(s, host);
  if (!host.Messages().empty()) return Failed(host.Messages(), err);
  if (!tb::workbook::DescribePeriod(s, host, o.kind, o.date)) return Failed(host.Messages(), err);
  if (o.page && *o.page > s.gMaxPage) {
    err << "tbexport: page " << *o.page << " is not in the report (pages 1 to " << s.gMaxPage << ")\n";
    return 1;
  }
  const auto result = tb::workbook::ExportPeriodWorkbook(s, o.out, o.page);
  if (!result.ok) return Failed({result.message}, err);
  out << o.out.string() << ": " << result.sheets << (result.sheets == 1 ? " sheet" : " sheets")
      << " (" << tb::workbook::WorkbookTitle(s) << ")\n";
  return 0;
}

}  // namespace tbexport
