#include "tools/tbseed/sqlite_writer.h"

#include <sqlite3.h>

#include <stdexcept>

namespace tbseed {

SqliteWriter::SqliteWriter(std::filesystem::path target)
    : target_(std::move(target)), temp_(target_) {
  temp_ += ".seeding";
  std::filesystem::remove(temp_);
  // SQLite makes a handle even when the open fails; a constructor that throws runs no
  // destructor, so the handle and the half-made file go here.
  try {
    if (sqlite3_open_v2(temp_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
      Fail("cannot create " + temp_.string());
    // Neither setting is stored in the file: readers open it with the default journal.
    Exec("PRAGMA journal_mode=OFF");
    Exec("PRAGMA synchronous=OFF");
    Exec("PRAGMA cache_size=-65536");  // 64 MiB: the index builds of large shares sort in memory
    Exec("BEGIN");
  } catch (...) {
    Discard();
    throw;
  }
}

SqliteWriter::~SqliteWriter() {
  if (db_) Discard();
}

void SqliteWriter::Discard() {
  sqlite3_close_v2(db_);
  db_ = nullptr;
  std::error_code ec;
  std::filesystem::remove(temp_, ec);
}

void SqliteWriter::Fail(std::string_view what) const {
  std::string text(what);
  if (db_) text += ": " + std::string(sqlite3_errmsg(db_));
  throw std::runtime_error(text);
}

void SqliteWriter::Exec(std::string_view sql) {
  char* err = nullptr;
  if (sqlite3_exec(db_, std::string(sql).c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    std::string text = err ? err : "";
    sqlite3_free(err);
    throw std::runtime_error("seeding failed: " + text + " in " + std::string(sql.substr(0, 80)));
  }
}

void SqliteWriter::Commit() {
  Exec("COMMIT");
  if (sqlite3_close(db_) != SQLITE_OK) Fail("cannot close " + temp_.string());
  db_ = nullptr;
  std::filesystem::rename(temp_, target_);
}

SqliteWriter::Insert::Insert(SqliteWriter& w, std::string_view sql) : w_(w) {
  if (sqlite3_prepare_v2(w_.db_, sql.data(), static_cast<int>(sql.size()), &st_, nullptr) !=
      SQLITE_OK)
    w_.Fail("cannot prepare " + std::string(sql.substr(0, 80)));
}

SqliteWriter::Insert::~Insert() { sqlite3_finalize(st_); }

SqliteWriter::Insert& SqliteWriter::Insert::Int(int col, long long v) {
  sqlite3_bind_int64(st_, col, v);
  return *this;
}

SqliteWriter::Insert& SqliteWriter::Insert::Text(int col, const std::optional<std::string>& v) {
  if (v)
    sqlite3_bind_text(st_, col, v->data(), static_cast<int>(v->size()), SQLITE_TRANSIENT);
  else
    sqlite3_bind_null(st_, col);
  return *this;
}

void SqliteWriter::Insert::Step() {
  if (sqlite3_step(st_) != SQLITE_DONE) w_.Fail("cannot insert");
  sqlite3_reset(st_);
}

}  // namespace tbseed
