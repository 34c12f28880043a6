#include "tools/tbjetimport/jet_values.h"

#include <glib.h>
#include <mdbtools.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "tools/tbjetimport/sqlite_target.h"

namespace tb::jetimport {

std::string_view SqliteColumnType(int mdbType) {
  switch (mdbType) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_COMPLEX:
      return "INTEGER";
    case MDB_FLOAT:
    case MDB_DOUBLE:
      return "REAL";
    case MDB_MONEY:
    case MDB_NUMERIC:
      return "NUMERIC";
    case MDB_BINARY:
    case MDB_OLE:
      return "BLOB";
    default:
      return "TEXT";
  }
}

std::string CreateTableSql(std::string_view table, std::span<const ColumnSpec> columns) {
  std::string sql = "CREATE TABLE " + QuoteIdentifier(table) + " (";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    sql += (i ? ", " : "") + QuoteIdentifier(columns[i].name) + " ";
    sql += SqliteColumnType(columns[i].mdbType);
  }
  return sql + ")";
}

std::optional<std::string> JetDateText(double value) {
  // Jet's own limits: 100-01-01 is day -657434, 9999-12-31 is day 2958465.
  if (!std::isfinite(value) || value <= -657435.0 || value >= 2958466.0) return std::nullopt;
  using namespace std::chrono;
  const double whole = std::trunc(value);
  long long seconds = std::llround(std::fabs(value - whole) * 86400.0);
  sys_days day = sys_days{year{1899} / December / 30} + days{static_cast<long long>(whole)};
  if (seconds >= 86400) {  // rounding reached midnight of the next day
    day += days{1};
    seconds -= 86400;
  }
  const year_month_day ymd{day};
  if (ymd.year() > year{9999}) return std::nullopt;
  std::array<char, 64> text{};
  std::snprintf(text.data(), text.size(), "%04d-%02u-%02u %02d:%02d:%02d",
                static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                static_cast<unsigned>(ymd.day()), static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return std::string(text.data());
}

std::string Jet3Charset(std::string_view explicitChoice, int codePage, int langId) {
  if (!explicitChoice.empty()) return std::string(explicitChoice);
  constexpr std::array kWindowsCodePages{874, 932, 936, 949, 950, 1250, 1251, 1252,
                                         1253, 1254, 1255, 1256, 1257, 1258};
  constexpr int kJapaneseSortOrder = 0x411;
  if (langId == kJapaneseSortOrder) return "CP932";
  for (int cp : kWindowsCodePages) {
    if (cp == codePage) return "CP" + std::to_string(cp);
  }
  return "CP932";
}

}  // namespace tb::jetimport
