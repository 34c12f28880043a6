#include "tools/tbjetimport/sqlite_target.h"

namespace tb::jetimport {

std::string QuoteIdentifier(std::string_view name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

SqliteTarget::SqliteTarget(const std::filesystem::path& file) {
  const int rc = sqlite3_open_v2(file.c_str(), &db_,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    std::string what = "cannot create " + file.string() + ": " + sqlite3_errstr(rc);
    sqlite3_close(db_);
    db_ = nullptr;
    throw ImportError(kExitTargetFailed, what);
  }
  // The file is private until the caller renames it into place; a crash leaves a
  // temporary file that is thrown away, so no journal is needed.
  Exec("PRAGMA journal_mode=OFF");
  Exec("PRAGMA synchronous=OFF");
  Exec("PRAGMA locking_mode=EXCLUSIVE");
  Exec("BEGIN");
}

SqliteTarget::~SqliteTarget() { sqlite3_close(db_); }

void SqliteTarget::Exec(const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string what = std::string("SQLite: ") + (message ? message : "error") + " in " + sql;
    sqlite3_free(message);
    throw ImportError(kExitTargetFailed, what);
  }
}

void SqliteTarget::Commit() {
  Exec("COMMIT");
  if (sqlite3_close(db_) != SQLITE_OK) throw ImportError(kExitTargetFailed, "SQLite close failed");
  db_ = nullptr;
}

RowInserter::RowInserter(SqliteTarget& target, const std::string& table, int columnCount)
    : db_(target.Handle()) {
  std::string sql = "INSERT INTO " + QuoteIdentifier(table) + " VALUES (";
  for (int i = 0; i < columnCount; ++i) sql += i ? ",?" : "?";
  sql += ")";
  Check(sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt_, nullptr));
}

RowInserter::~RowInserter() { sqlite3_finalize(stmt_); }

void RowInserter::Check(int rc) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE) {
    throw ImportError(kExitTargetFailed, std::string("SQLite: ") + sqlite3_errmsg(db_));
  }
}

void RowInserter::BindNull(int column) { Check(sqlite3_bind_null(stmt_, column + 1)); }
void RowInserter::BindInt(int column, std::int64_t value) {
  Check(sqlite3_bind_int64(stmt_, column + 1, value));
}
void RowInserter::BindReal(int column, double value) {
  Check(sqlite3_bind_double(stmt_, column + 1, value));
}
void RowInserter::BindText(int column, std::string_view value) {
  Check(sqlite3_bind_text64(stmt_, column + 1, value.empty() ? "" : value.data(), value.size(), SQLITE_TRANSIENT,
                            SQLITE_UTF8));
}
void RowInserter::BindBlob(int column, std::string_view bytes) {
  Check(sqlite3_bind_blob64(stmt_, column + 1, bytes.empty() ? "" : bytes.data(), bytes.size(), SQLITE_TRANSIENT));
}

void RowInserter::Step() {
  Check(sqlite3_step(stmt_));
  Check(sqlite3_reset(stmt_));
}

}  // namespace tb::jetimport
