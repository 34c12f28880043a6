#include "client/web/page_factory.h"

// The page models come from client/selection and client/grid; a build without one of
// them serves that page as missing.
#if __has_include("client/selection/doc_main.h")
#include "client/selection/doc_main.h"
#define TB_WEB_HAVE_DOC_MAIN 1
#endif
#if __has_include("client/grid/doc_grid.h")
#include "client/grid/doc_grid.h"
#define TB_WEB_HAVE_DOC_GRID 1
#endif

namespace tb::web {

PageFactory ReportPages() {
  return [](std::string_view name, ClientState& s, Host& host) -> std::unique_ptr<Document> {
#ifdef TB_WEB_HAVE_DOC_MAIN
    if (name == "docMain") {
      auto page = std::make_unique<DocMain>(s, host);
      page->Initialize();  // the page-initialised event arms the start-up timer
      return page;
    }
#endif
#ifdef TB_WEB_HAVE_DOC_GRID
    // The grid page starts its first load itself when it is brought up.
    if (name == "docGrid") return std::make_unique<DocGrid>(s, host);
#endif
    (void)name, (void)s, (void)host;
    return nullptr;
  };
}

}  // namespace tb::web
