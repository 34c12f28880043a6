// Writes one report page onto its form between FmPrintForm and FmPrintOut: page title,
// period heading and page number, seal boxes, row labels, each item's headings, unit,
// values and summaries, and the large headings over groups of neighbouring items. Most
// texts go into the form's named data fields; maximum and minimum values and the large
// headings are drawn as free text and lines placed with the fields' geometry and the
// paper layout. Every library result is ignored: a field the form lacks leaves that one
// text out. Not thread-safe: used by one session's UI thread during a print job.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "client/core/client_state.h"
#include "client/core/controls.h"
#include "client/core/host.h"
#include "client/printing/fmdraw_api.h"
#include "client/printing/paper_size.h"

namespace tb::print {

// What the grid variant reads of the grid page: cell texts and text colours as shown.
class GridPageView {
 public:
  virtual ~GridPageView() = default;
  [[nodiscard]] virtual std::string CellText(int row, int col) const = 0;
  [[nodiscard]] virtual Colour CellForeColour(int row, int col) const = 0;
  [[nodiscard]] virtual std::string PeriodCaption() const = 0;  // lblTitle
  [[nodiscard]] virtual std::string PageTitle() const = 0;      // lblPageTitle
  // Hidden while it is read (reading moves the grid's current cell).
  virtual void SetGridVisible(bool visible) = 0;
};

struct PageHeader {
  std::string pageTitle;
  std::string periodHeading;
  int page = 1;
  int maxPage = 0;
  bool skipEmptyTitle = false;  // the grid variant leaves an empty title out
};

// Runs a layout-database query of the range print. A query that cannot run has shown
// "データベースが接続できません。" and ends the job (throws DbError), so that a lost layout
// database shows its message once per period rather than once per page.
void OpenLayoutQuery(ClientState& s, Host& host, std::string_view sql, db::Recordset& rs);

// The period heading: the heading text plus " 天候（        ）" for daily reports when
// the weather box is configured.
[[nodiscard]] std::string WithWeatherBox(std::string heading, const ClientState& s);
// The period heading of the range print for a period's first day.
[[nodiscard]] std::string RangePeriodHeading(const ClientState& s, std::chrono::year_month_day d);

class PageFiller {
 public:
  PageFiller(const FmDrawApi& api, ClientState& s, Host& host, const PaperLayout& layout);

  void Header(const PageHeader& h);
  void SealBoxes(int page);
  void RowLabels();
  // Range variant: the page's items from gPageSql on the job's layout connection, values
  // from gDataRs. Database errors propagate (they end the job).
  void ItemsFromDatabase(class LayoutQueries& layout);
  // Grid variant: the 15 columns of the grid page as shown.
  void ItemsFromGrid(GridPageView& grid);
  void LargeHeadings();

 private:
  void Field(std::string_view name, std::string_view utf8Value);
  void FieldRect(std::string_view name);  // a failed look-up keeps the previous rectangle
  void MarkedText(int item, int row, std::string_view text, Colour colour);
  void ItemRows(db::Recordset& items);  // one item a row of the page query
  void ItemValues(int item, const struct ItemFormat& f);
  void Summaries(int item, const struct ItemFormat& f);
  std::int32_t* S() { return s_.gPrintSession.data(); }

  const FmDrawApi& api_;
  ClientState& s_;
  Host& host_;
  PaperLayout layout_;
  std::array<std::string, 15> slots_{};
  std::array<std::int32_t, 4> rect_{};  // left, top, right, bottom of the last field looked up
};

}  // namespace tb::print
