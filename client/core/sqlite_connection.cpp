#include "client/core/sqlite_connection.h"

#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <memory>

namespace tb::db {
namespace {

// How long a query waits for a writer's lock on the file (the logging side committing).
// A lock held longer than this is a fault: each query of a load or a print would wait
// this long again, so it is kept short.
constexpr int kBusyTimeoutMs = 2000;

struct StatementCloser {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementCloser>;

[[noreturn]] void Fail(sqlite3* db, std::string_view what) {
  std::string text(what);
  if (db) text += ": " + std::string(sqlite3_errmsg(db));
  throw DbError(text);
}

Value ColumnValue(sqlite3_stmt* st, int i) {
  switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL:
      return std::nullopt;
    case SQLITE_INTEGER:
      return std::to_string(sqlite3_column_int64(st, i));
    case SQLITE_FLOAT:
      return RealToText(sqlite3_column_double(st, i));
    default: {  // text and blobs: their bytes
      const void* p = sqlite3_column_blob(st, i);
      int n = sqlite3_column_bytes(st, i);
      return p ? std::string(static_cast<const char*>(p), static_cast<std::size_t>(n))
               : std::string();
    }
  }
}

}  // namespace

std::string RealToText(double v) {
  char buf[400];
  auto fmt = std::fabs(v) < 1e15 ? std::chars_format::fixed : std::chars_format::general;
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, fmt);
  if (ec != std::errc()) return std::to_string(v);
  std::string s(buf, end);
  return s == "-0" ? "0" : s;
}

SqliteConnection::SqliteConnection(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec))
    throw DbError("database file not found: " + file.string());
  // Read-only: the client never writes, and a mistyped path must not create a file.
  int rc = sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
  if (rc != SQLITE_OK) {
    std::string text = "cannot open " + file.string() + ": " +
                       (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc));
    Close();
    throw DbError(text);
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  // SQLite reads the file lazily: read the schema now so that a file that is not a
  // database (or is cut short) fails here and not on the first query.
  try {
    Execute("SELECT COUNT(*) FROM sqlite_master");
  } catch (const DbError& e) {
    Close();
    throw DbError("not a readable database: " + file.string() + ": " + e.Description());
  }
}

SqliteConnection::~SqliteConnection() { Close(); }

void SqliteConnection::Close() {
  if (db_) sqlite3_close_v2(db_);
  db_ = nullptr;
}

Recordset SqliteConnection::Execute(std::string_view sql) {
  if (!db_) throw DbError("the connection is closed");
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &raw, nullptr) !=
      SQLITE_OK)
    Fail(db_, "cannot run the query");
  Statement st(raw);
  if (!st) throw DbError("empty query");
  if (!sqlite3_stmt_readonly(st.get())) throw DbError("the client only reads databases");

  const int n = sqlite3_column_count(st.get());
  std::vector<std::string> columns;
  for (int i = 0; i < n; ++i) {
    const char* name = sqlite3_column_name(st.get(), i);
    columns.emplace_back(name ? name : "");
  }
  std::vector<std::vector<Value>> rows;
  for (;;) {
    int rc = sqlite3_step(st.get());
    if (rc == SQLITE_DONE) break;
    if (rc != SQLITE_ROW) Fail(db_, "cannot read the rows");
    auto& row = rows.emplace_back();
    row.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) row.push_back(ColumnValue(st.get(), i));
  }
  return Recordset(std::move(columns), std::move(rows));
}

}  // namespace tb::db
