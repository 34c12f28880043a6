#include "client/web/page_factory.h"


// The page models come from client/selection and client/grid; until a build has them,
// tbclient serves nothing but refusals.
#if __has_include("client/selection/doc_main.h") && __has_include("client/grid/doc_grid.h")
#include "client/grid/doc_grid.h"
#include "client/selection/doc_main.h"
#define TB_WEB_HAVE_PAGES 1
#endif

namespace tb::web {

PageFactory ReportPages() {
  return [](std::string_view name, ClientState& s, Host& host) -> std::unique_ptr<Document> {
#ifndef TB_WEB_HAVE_PAGES
    (void)name, (void)s, (void)host;
    return nullptr;
#else
    if (name == "docMain") {
      auto page = std::make_unique<DocMain>(s, host);
      page->Initialize();  // the page-initialised event arms the start-up timer
      return page;
    }
    // The grid page starts its first load itself when it is brought up.
    if (name == "docGrid") return std::make_unique<DocGrid>(s, host);
    return nullptr;
#endif
  };
}

}  // namespace tb::web
