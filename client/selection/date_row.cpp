#include "client/selection/date_row.h"

#include <array>
#include <charconv>

#include "client/core/formatting.h"
#include "client/core/vb_error.h"

namespace tb {
namespace {

struct FieldName {
  DateField field;
  std::string_view prefix, suffix;
};
constexpr std::array<FieldName, 4> kFieldNames{{
    {DateField::kEraYear, "lblYear", ""},
    {DateField::kWesternYear, "lblYear", "_S"},
    {DateField::kMonth, "lblMonth", ""},
    {DateField::kDay, "lblDay", ""},
}};

[[noreturn]] void TypeMismatch() { throw VbError(kErrTypeMismatch, kErrSource, kTypeMismatchText); }

std::string_view Trim(std::string_view t) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  return t;
}

}  // namespace

std::string DateLabelId(DateLabelRef label) {
  for (const auto& f : kFieldNames)
    if (f.field == label.field)
      return std::string(f.prefix) + std::to_string(label.row) + std::string(f.suffix);
  return {};
}

std::optional<DateLabelRef> ParseDateLabelId(std::string_view id) {
  for (int row = 1; row <= 3; ++row)
    for (const auto& f : kFieldNames)
      if (id == DateLabelId({row, f.field})) return DateLabelRef{row, f.field};
  return std::nullopt;
}

std::string DateCaptionArray(int row) { return "lblDate" + std::to_string(row); }

DateBounds BoundsOf(DateField field, int year, int month) {
  switch (field) {
    case DateField::kEraYear: return {1, 99};
    case DateField::kWesternYear: return {1997, 2050};
    case DateField::kMonth: return {1, 12};
    case DateField::kDay: break;
  }
  // The day before the 1st of the following month; a month outside 1..12 carries into
  // the neighbouring years as date arithmetic does.
  using namespace std::chrono;
  const year_month first = year_month{std::chrono::year{year}, January} + months{month - 1};
  return {1, DaysInMonth(static_cast<int>(first.year()),
                         static_cast<int>(static_cast<unsigned>(first.month())))};
}

int LabelNumber(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text.size() > 9) TypeMismatch();
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) TypeMismatch();
  return value;
}

std::chrono::year_month_day DateFromLabels(std::string_view year, std::string_view month,
                                           std::string_view day) {
  const int y = LabelNumber(year), m = LabelNumber(month), d = LabelNumber(day);
  if (y < 100 || y > 9999) TypeMismatch();
  const std::chrono::year_month_day date{std::chrono::year{y},
                                         std::chrono::month{static_cast<unsigned>(m)},
                                         std::chrono::day{static_cast<unsigned>(d)}};
  if (m < 1 || d < 1 || !date.ok()) TypeMismatch();
  return date;
}

}  // namespace tb
