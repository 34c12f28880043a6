// How values of an Access file become SQLite values: the declared column type per Jet
// column type, the text form of Jet dates, and the code page of Jet 3 texts.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tb::jetimport {

// Declared SQLite type of a column of libmdb type `mdbType` (MDB_BOOL ... MDB_COMPLEX):
// integer kinds and booleans INTEGER, single and double REAL, currency and decimal
// NUMERIC (exact decimal text that SQLite keeps as a number when it can), dates, texts,
// memos and replication ids TEXT, binary and OLE BLOB. Unknown types are TEXT.
[[nodiscard]] std::string_view SqliteColumnType(int mdbType);

// The statement that creates the SQLite table of a Jet table: names as they are (quoted),
// one declared type per column by SqliteColumnType.
struct ColumnSpec {
  std::string_view name;
  int mdbType = 0;
};
[[nodiscard]] std::string CreateTableSql(std::string_view table, std::span<const ColumnSpec> columns);

// A Jet date/time value (days since 1899-12-30; the fraction is the time of day and keeps
// its positive meaning for days before 1899-12-30) as "YYYY-MM-DD HH:MM:SS", rounded to the
// second. nullopt for values outside the years 100..9999 that Jet allows.
[[nodiscard]] std::optional<std::string> JetDateText(double value);

// The iconv name of the code page in which a Jet 3 file holds its texts: an explicit
// choice (the MDB_JET3_CHARSET environment value) wins; else the file's code page when it
// is a known Windows code page, CP932 for a Japanese sort order, and CP932 otherwise,
// since the installations this system serves are Japanese.
[[nodiscard]] std::string Jet3Charset(std::string_view explicitChoice, int codePage, int langId);

}  // namespace tb::jetimport
