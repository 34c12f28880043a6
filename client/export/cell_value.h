// What a cell of the grid page is in a workbook: the grid shows texts, a workbook wants
// numbers. A shown text is read back as the number it shows (the stored value rounded as
// the tag's digit pattern rounds), a duration as a fraction of a day, and everything else
// ("*", a value the grid could not format, headings) stays text. Pure functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tb::workbook {

enum class CellKind { kEmpty, kText, kNumber, kDuration };

struct CellValue {
  CellKind kind = CellKind::kEmpty;
  std::string text;   // kText: the text as shown
  double number = 0;  // kNumber: the value; kDuration: days (minutes / 1440)

  friend bool operator==(const CellValue&, const CellValue&) = default;
};

// Reads the text a value or summary cell shows. A number counts only when formatting it
// again with the column's picture gives the same text, so a stored text that merely looks
// numeric ("12,3") stays text. Durations below zero stay text: a workbook cannot show a
// negative time.
[[nodiscard]] CellValue ReadShownValue(std::string_view shown, int displayType,
                                       std::string_view pattern, int ketaFlg);

// The number format of a column: "[h]:mm" for durations, else the column's picture
// ("0.0", "#,##0.00"). nullopt when the digit pattern is not a picture of "0", "#", ","
// and "." (the column's values are then kept as text).
[[nodiscard]] std::optional<std::string> ColumnNumberFormat(int displayType, std::string_view pattern,
                                                            int ketaFlg);

}  // namespace tb::workbook
