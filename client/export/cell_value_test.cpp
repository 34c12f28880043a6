// Reading the grid's shown texts back as workbook values: which texts are numbers, which
// durations, which stay text; and the number format of a column.
#include "client/export/cell_value.h"

#include <gtest/gtest.h>

namespace tb::workbook {
namespace {

struct Row {
  int line;
  const char* shown;
  int type;
  const char* pattern;
  int keta;
  CellKind kind;
  double number;  // days for durations
};

TEST(CellValue, ShownTextsReadBack) {
  const Row rows[] = {
      {__LINE__, "1234.6", 0, "0.0", 0, CellKind::kNumber, 1234.6},
      {__LINE__, "1,234.6", 0, "0.0", 1, CellKind::kNumber, 1234.6},
      {__LINE__, "-1,234,567.25", 0, "0.00", 1, CellKind::kNumber, -1234567.25},
      {__LINE__, "7", 0, "0", 0, CellKind::kNumber, 7},
      {__LINE__, "0.50", 0, "0.00", 0, CellKind::kNumber, 0.5},
      {__LINE__, "*", 0, "0.0", 0, CellKind::kText, 0},
      {__LINE__, "abc", 0, "0.0", 0, CellKind::kText, 0},
      // Stored texts the picture left alone because they are not numbers, though they look
      // like one: formatting them again gives another text.
      {__LINE__, "12,3", 0, "0.0", 1, CellKind::kText, 0},
      {__LINE__, "1234.6", 0, "0.0", 1, CellKind::kText, 0},  // would show 1,234.6
      {__LINE__, "1.5", 0, "0.00", 0, CellKind::kText, 0},    // would show 1.50
      // A digit pattern that is no picture: the values stay as the page shows them.
      {__LINE__, "12", 0, "x0", 0, CellKind::kText, 0},
      {__LINE__, "1:30", 6, "0", 0, CellKind::kDuration, 90.0 / 1440},
      {__LINE__, "0:00", 6, "0", 0, CellKind::kDuration, 0},
      {__LINE__, "1,000:00", 6, "0", 1, CellKind::kDuration, 60000.0 / 1440},
      {__LINE__, "999:59", 6, "0", 1, CellKind::kDuration, 59999.0 / 1440},
      {__LINE__, "*", 6, "0", 0, CellKind::kText, 0},
      {__LINE__, "-1:15", 6, "0", 0, CellKind::kText, 0},  // negative: no time format shows it
      {__LINE__, "1:75", 6, "0", 0, CellKind::kText, 0},
      {__LINE__, "1000:00", 6, "0", 1, CellKind::kText, 0},  // not as FormatMinutes writes it
      {__LINE__, "", 0, "0", 0, CellKind::kEmpty, 0},
  };
  for (const auto& r : rows) {
    const auto v = ReadShownValue(r.shown, r.type, r.pattern, r.keta);
    EXPECT_EQ(v.kind, r.kind) << "line " << r.line;
    if (r.kind == CellKind::kNumber || r.kind == CellKind::kDuration) {
      EXPECT_DOUBLE_EQ(v.number, r.number) << "line " << r.line;
    }
    if (r.kind == CellKind::kText) { EXPECT_EQ(v.text, r.shown) << "line " << r.line; }
  }
}

TEST(CellValue, ColumnNumberFormats) {
  EXPECT_EQ(ColumnNumberFormat(0, "0.0", 0), "0.0");
  EXPECT_EQ(ColumnNumberFormat(0, "0.00", 1), "#,##0.00");
  EXPECT_EQ(ColumnNumberFormat(0, "0", 1), "#,##0");
  EXPECT_EQ(ColumnNumberFormat(6, "0.0", 1), "[h]:mm");
  EXPECT_EQ(ColumnNumberFormat(0, "0.0.0", 0), std::nullopt);
  EXPECT_EQ(ColumnNumberFormat(0, "\"x\"0", 0), std::nullopt);
}

}  // namespace
}  // namespace tb::workbook
