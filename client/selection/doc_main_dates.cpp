// Date entry on docMain: a click on a year, month or day label opens the ten-key dialog
// with the label's bounds; the entered value becomes the label's caption.
#include <string>

#include "client/core/formatting.h"
#include "client/grid/tenkey.h"
#include "client/selection/doc_main.h"

namespace tb {

// The western year of a row: the western-year label with western years, else the
// era-year label + 1988. Throws VbError 13 when the label is not a number.
int DocMain::RowYear(int row) const {
  if (s_.gWesternYear != 0) return LabelNumber(Caption(DateLabelId({row, DateField::kWesternYear})));
  return WesternFromHeisei(LabelNumber(Caption(DateLabelId({row, DateField::kEraYear}))));
}

DateBounds DocMain::Bounds(const DateLabelRef& label) const {
  if (label.field != DateField::kDay) return BoundsOf(label.field, 0, 0);
  return BoundsOf(DateField::kDay, RowYear(label.row),
                  LabelNumber(Caption(DateLabelId({label.row, DateField::kMonth}))));
}

// Yellow while the dialog is open. A start label (row 2) also writes its end label
// (row 3); row 1 and row 3 labels change only themselves. A day's bounds that cannot be
// worked out (a label that is not a number) leave the label as it was.
void DocMain::DateLabel_Click(const DateLabelRef& label) {
  Control& c = Ctl(DateLabelId(label));
  c.backColour = kYellow;
  try {
    const DateBounds bounds = Bounds(label);
    ShowTenkey(s_, host_, c.caption, std::to_string(bounds.upper), std::to_string(bounds.lower));
    c.caption = s_.gTenkeyResult;
    if (label.row == 2) Ctl(DateLabelId({3, label.field})).caption = s_.gTenkeyResult;
  } catch (const VbError&) {
  }
  c.backColour = kWhite;
}

}  // namespace tb
