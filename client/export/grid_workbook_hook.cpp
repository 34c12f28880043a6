#include "client/export/grid_workbook_hook.h"

#include "client/core/messages.h"
#include "client/export/export_messages.h"
#include "client/export/period_workbook.h"

namespace tb::workbook {

namespace {

constexpr int kChoiceWholePeriod = 0;

void ShowProgress(Host& host, int done, int total) {
  host.SetStatusText(std::string(msg::kStatusExporting) + " " + std::to_string(done + 1) + "/" +
                     std::to_string(total));
}

}  // namespace

std::string DefaultWorkbookName(const DocGrid& doc) {
  std::string name = doc.DefaultCsvName();
  if (name.ends_with(".csv")) name.resize(name.size() - 4);
  return name + ".xlsx";
}

void ExportFromGridPage(ClientState& s, Host& host, DocGrid& doc) {
  SaveDialogRequest request{std::string(msg::kDialogTitle), "*.xlsx", "xlsx", DefaultWorkbookName(doc),
                            {std::string(msg::kChoiceWholePeriod), std::string(msg::kChoiceThisPage)}};
  const auto answer = host.ShowSaveDialogWithChoice(request);
  if (!answer) return;
  host.SetMousePointer(MousePointer::kHourglass);
  ExportResult result;
  if (answer->choice == kChoiceWholePeriod) {
    result = ExportPeriodWorkbook(s, answer->path, std::nullopt,
                                  [&](int done, int total) { ShowProgress(host, done, total); });
  } else {
    result = ExportShownPage(doc, s, answer->path);
  }
  host.SetStatusText("");
  host.SetMousePointer(MousePointer::kDefault);
  if (!result.ok) host.MsgBox(result.message, MsgBoxButtons::kOk, tb::msg::kCaptionConfirm);
}

void InstallGridWorkbookHook() { SetGridWorkbookHook(ExportFromGridPage); }

}  // namespace tb::workbook
