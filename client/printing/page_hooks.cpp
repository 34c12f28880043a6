#include "client/printing/page_hooks.h"

#include "client/printing/print_environment.h"
#include "client/printing/print_job.h"
#include "client/printing/range_print.h"

namespace tb::print {

std::string DocGridView::CellText(int row, int col) const { return doc_.Grid().TextMatrix(row, col); }

Colour DocGridView::CellForeColour(int row, int col) const {
  return doc_.Grid().CellForeColour(row, col).value_or(kBlack);  // the grid's default text colour
}

std::string DocGridView::PeriodCaption() const { return doc_.Controls()["lblTitle"].caption; }
std::string DocGridView::PageTitle() const { return doc_.Controls()["lblPageTitle"].caption; }

void InstallGridPrintHook() {
  SetGridPrintHook([](ClientState& s, Host& host, DocGrid& doc) {
    DocGridView view(doc);
    const PrintedDocuments printed;
    PrintGridPage(s, host, view);
    printed.Offer(host);
  });
}

RangePrinter RangePrintHook() {
  return [](ClientState& s, Host& host, const RangeLabels& l) {
    const PrintedDocuments printed;
    RunRangePrint(s, host, {l.startYear, l.startMonth, l.startDay, l.endYear, l.endMonth, l.endDay});
    printed.Offer(host);
  };
}

}  // namespace tb::print
