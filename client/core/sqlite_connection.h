// The SQLite backend: a database file opened read-only (never created, never written).
// Every value is fetched as text: integers in decimal, reals as the shortest text that
// reads back as the same number, text and blobs as their bytes, Null as nullopt.
// Owns its sqlite3 handle. Not thread-safe.
#pragma once

#include <filesystem>
#include <string_view>

#include "client/core/database.h"

struct sqlite3;

namespace tb::db {

class SqliteConnection : public Connection {
 public:
  // Opens `file` read-only and checks that it is a readable database. Throws DbError
  // for a missing file or one that SQLite cannot read.
  explicit SqliteConnection(const std::filesystem::path& file);
  ~SqliteConnection() override;
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  // Runs one statement that only reads. Throws DbError for an error or for a statement
  // that would write.
  Recordset Execute(std::string_view sql) override;
  void Close() override;

 private:
  sqlite3* db_ = nullptr;
};

// The text of a real value: the shortest decimal text that reads back as the same
// double, without exponent below 1e15 in magnitude.
[[nodiscard]] std::string RealToText(double v);

}  // namespace tb::db
