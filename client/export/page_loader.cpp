#include "client/export/page_loader.h"

#include <utility>

#include "client/export/unattended_host.h"
#include "client/grid/doc_grid.h"

namespace tb::workbook {

namespace {

// What the grid page's load writes into the shared state, kept and put back.
class GridStateGuard {
 public:
  explicit GridStateGuard(ClientState& s)
      : s_(s), page_(s.gCurrentPage), pageSql_(s.gPageSql), patterns_(s.gColPattern),
        types_(s.gColDisplayType), col_(s.gGridCurrentCol) {}
  ~GridStateGuard() {
    s_.gCurrentPage = page_;
    s_.gPageSql = std::move(pageSql_);
    s_.gColPattern = std::move(patterns_);
    s_.gColDisplayType = types_;
    s_.gGridCurrentCol = col_;
  }
  GridStateGuard(const GridStateGuard&) = delete;
  GridStateGuard& operator=(const GridStateGuard&) = delete;

 private:
  ClientState& s_;
  std::int16_t page_;
  std::string pageSql_;
  std::array<std::string, 16> patterns_;
  std::array<std::int16_t, 16> types_;
  int col_;
};

}  // namespace

LoadedPage LoadPage(ClientState& s, int page) {
  const GridStateGuard guard(s);
  s.gCurrentPage = static_cast<std::int16_t>(page);
  UnattendedHost host;
  LoadedPage loaded;
  {
    DocGrid doc(s, host);
    doc.Timer1_Timer();
    loaded.sheet = SheetOfPage(doc, s);
  }
  loaded.messages = host.Messages();
  return loaded;
}

}  // namespace tb::workbook
