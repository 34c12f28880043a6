#include "tools/reportforms/sheet_paper.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "tools/reportforms/form_builder.h"

namespace reportforms {
namespace {

// Page sizes in 0.01 mm, short side first.
struct PageSize { int shortSide, longSide; };

PageSize PageOf(int paperCode) {
  switch (paperCode) {
    case 8: return {29700, 42000};   // A3
    case 9: return {21000, 29700};   // A4
    case 12: return {25700, 36400};  // B4 (JIS)
    case 13: return {18200, 25700};  // B5 (JIS)
    case 45: return {25400, 27940};  // 10 x 11 in
    default: throw std::invalid_argument("no page size for paper code " + std::to_string(paperCode));
  }
}

// The value type size nearest to the table's fontSize (points * 35.28 = 0.01 mm).
int PointsNear(int hundredthsMm) { return (hundredthsMm * 100 + 1764) / 3528; }

}  // namespace

const std::vector<std::string_view>& SheetSuffixes() {
  static const std::vector<std::string_view> kSuffixes = {"A3", "A4", "B4", "B5", "10"};
  return kSuffixes;
}

SheetPaper SheetPaperFor(std::string_view suffix) {
  const auto row = tb::print::FindPaperSize(suffix, tb::print::PrintJobKind::kPage);  // the sizes with their own forms
  if (!row || row->formSuffix != suffix) throw std::invalid_argument("no report sheet for " + std::string(suffix));
  SheetPaper p;
  p.paper = *row;
  p.landscape = row->orientation == 2;
  const PageSize page = PageOf(row->paperCode);
  p.pageWidth = p.landscape ? page.longSide : page.shortSide;
  p.pageHeight = p.landscape ? page.shortSide : page.longSide;
  const bool large = row->layout.groupLineTop > 3500;  // A3 and B4 have the deeper header
  p.labelLeft = row->layout.itemsLeft > 2000 ? 1000 : 600;
  p.topMargin = large ? 1000 : 700;
  p.bottomMargin = large ? 1000 : 700;
  p.valuePoints = PointsNear(row->layout.fontSize);
  // A heading of kHeadingChars full-width characters fits 96 % of a column.
  p.headingPoints = std::max(4, PointsToFit(p.ColumnWidth() * 96 / 100, 2 * kHeadingChars));
  p.titlePoints = large ? 20 : 14;
  p.periodPoints = large ? 12 : 9;
  return p;
}

}  // namespace reportforms
