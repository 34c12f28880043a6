// The paper-dependent measures of the report sheets: page size, margins and type sizes,
// next to the layout values of the client's paper-size table, which fix where the client
// draws outside the form's fields (the large-heading band, the item columns, the type
// size of free text). The sheets are built from both so that they agree.
#pragma once

#include <string_view>
#include <vector>

#include "client/printing/paper_size.h"

namespace reportforms {

// The longest item heading a column shows whole, in full-width characters ("苛性ソーダ注入率");
// a longer one is cut at the column's edge rather than spilling into its neighbours.
inline constexpr int kHeadingChars = 8;

struct SheetPaper {
  tb::print::PaperSize paper;  // the client's table row (codes, suffix, layout values)
  bool landscape = true;
  int pageWidth = 0, pageHeight = 0;  // 0.01 mm, as the page lies
  int labelLeft = 0;                  // left edge of the row-label column
  int topMargin = 0, bottomMargin = 0;
  int valuePoints = 0;    // values, labels and summaries: close to the table's fontSize
  int headingPoints = 0;  // item headings and units: kHeadingChars full-width characters a column
  int titlePoints = 0, periodPoints = 0;
  // Width of one item column: the width over which the client centres the last group's
  // large heading (lastGroupLeftAdd + lastGroupRightAdd).
  [[nodiscard]] int ColumnWidth() const {
    return paper.layout.lastGroupLeftAdd + paper.layout.lastGroupRightAdd;
  }
  [[nodiscard]] int ItemsRight() const { return paper.layout.itemsLeft + 15 * ColumnWidth(); }
};

// The form suffixes that have sheets of their own: A3, A4, B4, B5, 10 ("15" prints on B4).
[[nodiscard]] const std::vector<std::string_view>& SheetSuffixes();
// The measures for a form suffix; throws std::invalid_argument for another one.
[[nodiscard]] SheetPaper SheetPaperFor(std::string_view suffix);

}  // namespace reportforms
