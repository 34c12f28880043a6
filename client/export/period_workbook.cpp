#include "client/export/period_workbook.h"

#include "client/export/export_messages.h"
#include "client/export/page_loader.h"
#include "client/export/workbook_writer.h"
#include "client/grid/doc_grid.h"

namespace tb::workbook {

namespace {

ExportResult Write(const std::vector<PageSheet>& sheets, const ClientState& s,
                   const std::filesystem::path& file) {
  const auto written = WriteWorkbook(sheets, {WorkbookTitle(s), s.gPaperSize}, file);
  if (!written.ok) return {false, written.error, 0};
  return {true, {}, static_cast<int>(sheets.size())};
}

}  // namespace

std::string WorkbookTitle(const ClientState& s) {
  const char* kind = s.gReportKind == 1 ? "日報" : s.gReportKind == 2 ? "月報" : "年報";
  return std::string(kind) + " " + s.gDateKey;
}

ExportResult ExportPeriodWorkbook(ClientState& s, const std::filesystem::path& file,
                                  std::optional<int> page, const ExportProgress& progress) {
  const int first = page.value_or(1);
  const int last = page.value_or(s.gMaxPage);
  if (first < 1 || last > s.gMaxPage || first > last) return {false, std::string(msg::kNoPages), 0};
  std::vector<PageSheet> sheets;
  const int total = last - first + 1;
  for (int p = first; p <= last; ++p) {
    if (progress) progress(p - first, total);
    LoadedPage loaded = LoadPage(s, p);
    if (!loaded.messages.empty()) return {false, loaded.messages.front(), 0};
    sheets.push_back(std::move(loaded.sheet));
  }
  return Write(sheets, s, file);
}

ExportResult ExportShownPage(const DocGrid& doc, const ClientState& s,
                             const std::filesystem::path& file) {
  return Write({SheetOfPage(doc, s)}, s, file);
}

}  // namespace tb::workbook
