// Connects the print jobs to the pages: the grid page's print button prints the page on
// show through a view of its controls, and Run in print mode prints the date range of the
// selection page. The web host installs both when it starts and makes its pages.
#pragma once

#include "client/grid/doc_grid.h"
#include "client/printing/page_fill.h"
#include "client/selection/range_print_hook.h"

namespace tb::print {

// The grid page as the page print reads it: grdGrid's texts and text colours, the
// captions of lblTitle and lblPageTitle, and grdGrid's visibility.
class DocGridView : public GridPageView {
 public:
  explicit DocGridView(DocGrid& doc) : doc_(doc) {}
  [[nodiscard]] std::string CellText(int row, int col) const override;
  [[nodiscard]] Colour CellForeColour(int row, int col) const override;
  [[nodiscard]] std::string PeriodCaption() const override;
  [[nodiscard]] std::string PageTitle() const override;
  void SetGridVisible(bool visible) override { doc_.SetGridVisible(visible); }

 private:
  DocGrid& doc_;
};

// Sets the grid page's print hook (once, at start-up, before any session runs). Both hooks
// offer the host the PDF documents the job wrote when the default printer is a folder.
void InstallGridPrintHook();

// The range printer for DocMain::SetRangePrinter.
[[nodiscard]] RangePrinter RangePrintHook();

}  // namespace tb::print
