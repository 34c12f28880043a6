// The SQLite file an import writes: created empty, filled inside one transaction, with
// journalling off (the file is private to the import until its caller renames it).
// Every failure throws ImportError. Not thread-safe.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tb::jetimport {

// A failed import; the text says what failed, for the caller's log.
class ImportError : public std::runtime_error {
 public:
  ImportError(int exitCode, const std::string& what)
      : std::runtime_error(what), exitCode_(exitCode) {}
  [[nodiscard]] int ExitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

// Exit codes of tbjetimport.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitCannotOpen = 3;      // not a readable Jet file
inline constexpr int kExitBadContent = 4;      // catalog, table or value unreadable
inline constexpr int kExitRowsMissing = 5;     // fewer rows read than the table holds
inline constexpr int kExitTargetFailed = 6;    // the SQLite file could not be written

// "name" with inner quotes doubled: table and column names are taken as they are.
[[nodiscard]] std::string QuoteIdentifier(std::string_view name);

class SqliteTarget {
 public:
  // Requires: `file` does not exist yet (it is created).
  explicit SqliteTarget(const std::filesystem::path& file);
  ~SqliteTarget();
  SqliteTarget(const SqliteTarget&) = delete;
  SqliteTarget& operator=(const SqliteTarget&) = delete;

  void Exec(const std::string& sql);
  // Ends the transaction and closes the file.
  void Commit();
  [[nodiscard]] sqlite3* Handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

// One prepared INSERT of all columns of a table; Bind* then Step per row.
class RowInserter {
 public:
  RowInserter(SqliteTarget& target, const std::string& table, int columnCount);
  ~RowInserter();
  RowInserter(const RowInserter&) = delete;
  RowInserter& operator=(const RowInserter&) = delete;

  void BindNull(int column);
  void BindInt(int column, std::int64_t value);
  void BindReal(int column, double value);
  void BindText(int column, std::string_view value);
  void BindBlob(int column, std::string_view bytes);
  void Step();

 private:
  void Check(int rc);
  sqlite3_stmt* stmt_ = nullptr;
  sqlite3* db_;
};

}  // namespace tb::jetimport
