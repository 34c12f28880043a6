// A small writer for the seeded SQLite files: a new file built under a temporary name
// without journal or syncs (nothing else reads it yet) and renamed over the target when
// complete, so that a failed run never leaves a half-written database in the share.
// Throws std::runtime_error. Not thread-safe.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace tbseed {

class SqliteWriter {
 public:
  explicit SqliteWriter(std::filesystem::path target);
  ~SqliteWriter();
  SqliteWriter(const SqliteWriter&) = delete;
  SqliteWriter& operator=(const SqliteWriter&) = delete;

  void Exec(std::string_view sql);
  // Closes the file and moves it into place.
  void Commit();

  // One prepared insert, bound column by column (1-based) and run with Step().
  class Insert {
   public:
    Insert(SqliteWriter& w, std::string_view sql);
    ~Insert();
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;
    Insert& Int(int col, long long v);
    Insert& Text(int col, const std::optional<std::string>& v);  // nullopt = Null
    void Step();

   private:
    SqliteWriter& w_;
    sqlite3_stmt* st_ = nullptr;
  };

 private:
  [[noreturn]] void Fail(std::string_view what) const;
  void Discard();  // closes the handle and removes the unfinished file
  std::filesystem::path target_, temp_;
  sqlite3* db_ = nullptr;
};

}  // namespace tbseed
