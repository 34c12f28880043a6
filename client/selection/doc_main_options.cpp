// Kind selection (日報 / 月報 / 年報) and mode selection (表示 / 印刷) of docMain.
#include <array>

#include "client/selection/doc_main.h"

namespace tb {
namespace {

constexpr std::array<std::string_view, 3> kKindOptions{"optNippou", "optGeppou", "optNenpou"};

}  // namespace

// Selects one option of a frame; the other options of the same frame are cleared.
void DocMain::SelectOption(std::string_view id) {
  const std::string frame = Ctl(id).container;
  for (const auto& c : controls_.All())
    if (c->kind == ControlKind::kOption && c->container == frame) c->value = c->Id() == id;
}

// The selected option of a frame black, the others grey.
void DocMain::ColourOptionGroup(std::string_view selected) {
  const std::string frame = Ctl(selected).container;
  for (const auto& c : controls_.All())
    if (c->kind == ControlKind::kOption && c->container == frame)
      c->foreColour = c->Id() == selected ? kBlack : kGrey;
}

// 日報 enables year, month and day; 月報 year and month; 年報 the year alone. The
// western-year labels stay enabled. Disabled labels keep their values.
void DocMain::SelectKind(int kind) {
  const std::string_view option = kKindOptions[kind - 1];
  SelectOption(option);
  s_.gReportKind = static_cast<std::int16_t>(kind);
  for (int row = 1; row <= 3; ++row) {
    Ctl(DateLabelId({row, DateField::kEraYear})).enabled = true;
    Ctl(DateLabelId({row, DateField::kMonth})).enabled = kind <= 2;
    Ctl(DateLabelId({row, DateField::kDay})).enabled = kind == 1;
  }
  ColourOptionGroup(option);
  focus_ = "cmdJikkou";
}

// Print mode: rows 2 and 3 with "～" between them, row 1 hidden.
void DocMain::optPrint_Click() {
  SelectOption("optPrint");
  const auto yearField = s_.gWesternYear != 0 ? DateField::kWesternYear : DateField::kEraYear;
  SetVisible(DateLabelId({1, yearField}), false);
  SetVisible(DateLabelId({2, yearField}), true);
  SetVisible(DateLabelId({3, yearField}), true);
  SetRowVisible(1, false);
  SetVisible("lblKara", true);
  SetRowVisible(2, true);
  SetRowVisible(3, true);
  ColourOptionGroup("optPrint");
  focus_ = "cmdJikkou";
}

// Display mode: row 1 alone.
void DocMain::optSyuusei_Click() {
  SelectOption("optSyuusei");
  const auto yearField = s_.gWesternYear != 0 ? DateField::kWesternYear : DateField::kEraYear;
  SetVisible(DateLabelId({1, yearField}), true);
  SetVisible(DateLabelId({2, yearField}), false);
  SetVisible(DateLabelId({3, yearField}), false);
  SetRowVisible(1, true);
  SetVisible("lblKara", false);
  SetRowVisible(2, false);
  SetRowVisible(3, false);
  ColourOptionGroup("optSyuusei");
  focus_ = "cmdJikkou";
}

}  // namespace tb
