#include "client/web/page_factory.h"

#include "client/export/grid_workbook_hook.h"
#include "client/printing/page_hooks.h"
#include "client/grid/doc_grid.h"
#include "client/selection/doc_main.h"

namespace tb::web {

PageFactory ReportPages() {
  static const bool printHook = [] {  // the grid page's print and Excel buttons, set once
    print::InstallGridPrintHook();
    workbook::InstallGridWorkbookHook();
    return true;
  }();
  (void)printHook;
  return [](std::string_view name, ClientState& s, Host& host) -> std::unique_ptr<Document> {
    if (name == "docMain") {
      auto page = std::make_unique<DocMain>(s, host);
      page->SetRangePrinter(print::RangePrintHook());  // Run in print mode
      page->Initialize();  // the page-initialised event arms the start-up timer
      return page;
    }
    // The grid page starts its first load itself when it is brought up.
    if (name == "docGrid") return std::make_unique<DocGrid>(s, host);
    return nullptr;
  };
}

}  // namespace tb::web
