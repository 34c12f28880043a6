// Fuzz entry for the importer's output side, without an Access file: a table described by
// the input (its name, up to eight columns with names and Jet types, rows of values) is
// written through the same statements an import uses, into an in-memory SQLite file,
// and read back. Names arrive as the file reader gives them (C strings, so cut at a NUL
// byte). SQLite may refuse a table (a reserved or duplicate name): that is an import
// error, never a crash. When it accepts, what is read back must be what was written: the
// table and column names byte for byte, the row count, every integer, real, text and
// blob. Jet dates go through their text form, which must be a valid calendar time close
// to the value.
#include <glib.h>
#include <mdbtools.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cmake/fuzz_input.h"
#include "tools/tbjetimport/jet_values.h"
#include "tools/tbjetimport/sqlite_target.h"

namespace {

using namespace tb::jetimport;
using Value = std::variant<std::monostate, std::int64_t, double, std::string>;

std::string CName(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

constexpr int kTypes[] = {MDB_BOOL,   MDB_BYTE,   MDB_INT,  MDB_LONGINT, MDB_MONEY,
                          MDB_FLOAT,  MDB_DOUBLE, MDB_DATETIME, MDB_BINARY, MDB_TEXT,
                          MDB_OLE,    MDB_MEMO,   MDB_REPID, MDB_NUMERIC, MDB_COMPLEX};

// Binds one value as the importer binds a value of that column type; returns what must
// be read back.
Value BindOne(fuzzing::FuzzInput& in, int type, RowInserter& row, int column) {
  if ((in.Byte() & 7) == 0) {
    row.BindNull(column);
    return {};
  }
  switch (type) {
    case MDB_BOOL: case MDB_BYTE: case MDB_INT: case MDB_LONGINT: case MDB_COMPLEX: {
      const auto v = static_cast<std::int64_t>(static_cast<std::int32_t>(in.Unsigned(4)));
      row.BindInt(column, v);
      return v;
    }
    case MDB_FLOAT: case MDB_DOUBLE: {
      double v = 0;
      const auto bits = in.Unsigned(8);
      std::memcpy(&v, &bits, sizeof v);
      row.BindReal(column, v);
      return std::isnan(v) ? Value{} : Value{v};  // SQLite keeps no NaN: it reads back as Null
    }
    case MDB_DATETIME: {
      double v = 0;
      const auto bits = in.Unsigned(8);
      std::memcpy(&v, &bits, sizeof v);
      if (auto text = JetDateText(v)) {
        row.BindText(column, *text);
        return *text;
      }
      row.BindReal(column, v);
      return std::isnan(v) ? Value{} : Value{v};
    }
    case MDB_BINARY: case MDB_OLE: {
      const auto b = in.Text(64);
      row.BindBlob(column, b);
      return std::string(b);
    }
    default: {
      const auto t = in.Text(64);
      row.BindText(column, t);
      return std::string(t);
    }
  }
}

Value ReadOne(sqlite3_stmt* st, int column) {
  switch (sqlite3_column_type(st, column)) {
    case SQLITE_INTEGER: return static_cast<std::int64_t>(sqlite3_column_int64(st, column));
    case SQLITE_FLOAT: return sqlite3_column_double(st, column);
    case SQLITE_NULL: return {};
    default: {
      const auto* p = static_cast<const char*>(sqlite3_column_blob(st, column));
      return std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(st, column)));
    }
  }
}

// NUMERIC, INTEGER and REAL affinities turn texts that look like numbers into numbers;
// the comparison accepts that conversion of the written text, and reals that became
// integers. A TEXT column (a date outside Jet's calendar, kept as its number) stores a
// real as its text with 15 significant digits.
bool SameValue(const Value& written, const Value& read) {
  if (written == read) return true;
  if (const auto* d = std::get_if<double>(&written)) {
    if (const auto* i = std::get_if<std::int64_t>(&read)) return static_cast<double>(*i) == *d;
    if (const auto* t = std::get_if<std::string>(&read)) {
      // SQLite's own text of a real; near the largest double it rounds to a text that
      // reads back as infinity.
      char* text = sqlite3_mprintf("%!.15g", *d);
      const bool asSqlite = text != nullptr && *t == text;
      sqlite3_free(text);
      const double back = std::strtod(t->c_str(), nullptr);
      return asSqlite || back == *d || std::fabs(back - *d) <= 1e-14 * std::fabs(*d);
    }
  }
  if (const auto* i = std::get_if<std::int64_t>(&written)) {
    if (const auto* d = std::get_if<double>(&read)) return static_cast<double>(*i) == *d;
  }
  return std::holds_alternative<std::string>(written) &&
         (std::holds_alternative<std::int64_t>(read) || std::holds_alternative<double>(read));
}

void CheckDateText(double value) {
  const auto text = JetDateText(value);
  if (!text) return;
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  char tail = 0;
  if (std::sscanf(text->c_str(), "%d-%d-%d %d:%d:%d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6 ||
      text->size() != 19 || y < 100 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 ||
      mi > 59 || s > 59)
    __builtin_trap();
  // Days since 1899-12-30 and the time of day, as the text says, against the value
  // (whose fraction is a time of day also before 1899-12-30).
  using namespace std::chrono;
  const auto day = sys_days{year{y} / month{static_cast<unsigned>(mo)} / static_cast<unsigned>(d)} -
                   sys_days{year{1899} / December / 30};
  const double seconds = h * 3600.0 + mi * 60.0 + s;
  const double whole = std::trunc(value);
  const double expectedDay = whole, expectedSeconds = std::fabs(value - whole) * 86400.0;
  const double error = (day.count() - expectedDay) * 86400.0 + seconds - expectedSeconds;
  if (std::fabs(error) > 0.5 + 1e-6 * std::fabs(value)) __builtin_trap();
}

// A name for the rows' insertion order. A column may be called like any of SQLite's names
// for the row id, and then that name means the column; with all three taken there is no
// order to read the rows back in, and only their count is compared.
std::optional<std::string> RowOrder(const std::vector<std::string>& columns) {
  for (std::string alias : {"rowid", "_rowid_", "oid"}) {
    const bool taken = std::any_of(columns.begin(), columns.end(), [&](const std::string& c) {
      return sqlite3_stricmp(c.c_str(), alias.c_str()) == 0;
    });
    if (!taken) return alias;
  }
  return std::nullopt;
}

void RoundTrip(fuzzing::FuzzInput& in) {
  const std::string table = CName(in.Text(40));
  const int columnCount = 1 + in.Byte() % 8;
  std::vector<std::string> names;
  std::vector<ColumnSpec> columns;
  for (int i = 0; i < columnCount; ++i) names.push_back(CName(in.Text(24)));
  for (int i = 0; i < columnCount; ++i) columns.push_back({names[i], in.Pick(kTypes)});
  SqliteTarget target(":memory:");
  target.Exec(CreateTableSql(table, columns));
  RowInserter row(target, table, columnCount);
  std::vector<std::vector<Value>> rows;
  for (int r = in.Byte() % 8; r > 0; --r) {
    auto& written = rows.emplace_back();
    for (int c = 0; c < columnCount; ++c) written.push_back(BindOne(in, columns[c].mdbType, row, c));
    row.Step();
  }
  sqlite3* db = target.Handle();
  sqlite3_stmt* st = nullptr;
  // The only table there is: its name must be the one asked for.
  if (sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table'", -1, &st, nullptr) != SQLITE_OK ||
      sqlite3_step(st) != SQLITE_ROW || ReadOne(st, 0) != Value{table})
    __builtin_trap();
  sqlite3_finalize(st);
  const auto order = RowOrder(names);
  const std::string select = "SELECT * FROM " + QuoteIdentifier(table) + (order ? " ORDER BY " + *order : "");
  if (sqlite3_prepare_v2(db, select.c_str(), -1, &st, nullptr) != SQLITE_OK) __builtin_trap();
  if (sqlite3_column_count(st) != columnCount) __builtin_trap();
  for (int c = 0; c < columnCount; ++c)
    if (names[c] != sqlite3_column_name(st, c)) __builtin_trap();
  for (const auto& written : rows) {
    if (sqlite3_step(st) != SQLITE_ROW) __builtin_trap();
    for (int c = 0; c < columnCount && order; ++c)
      if (!SameValue(written[c], ReadOne(st, c))) __builtin_trap();
  }
  if (sqlite3_step(st) != SQLITE_DONE) __builtin_trap();
  sqlite3_finalize(st);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size >= 8) {
    double v = 0;
    std::memcpy(&v, data, sizeof v);
    CheckDateText(v);
  }
  fuzzing::FuzzInput in(data, size);
  try {
    RoundTrip(in);
  } catch (const ImportError&) {
  }
  return 0;
}
