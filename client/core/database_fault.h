// Test support: the faults a database file on the share meets while the client reads it,
// injected into a real SQLite file and undone again — the file vanishes, is cut short in
// place, is replaced by a cut copy, or is locked by a writer that holds its transaction.
// Header-only; used by *_test.cpp files only.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "client/core/test_files.h"

namespace tb::testing {

enum class DbFault { kVanished, kTruncated, kReplacedByTruncated, kLocked };

inline const char* DbFaultName(DbFault f) {
  switch (f) {
    case DbFault::kVanished: return "vanished";
    case DbFault::kTruncated: return "truncated";
    case DbFault::kReplacedByTruncated: return "replaced by a truncated copy";
    case DbFault::kLocked: return "locked";
  }
  return "?";
}

class InjectedDbFault {
 public:
  InjectedDbFault(std::filesystem::path file, DbFault fault)
      : file_(std::move(file)), fault_(fault), pristine_(ReadBytes(file_)) {}
  ~InjectedDbFault() { Undo(); }
  InjectedDbFault(const InjectedDbFault&) = delete;
  InjectedDbFault& operator=(const InjectedDbFault&) = delete;

  void Inject() {
    // Past the header page: SQLite sees a database whose pages are missing.
    const std::string cut = pristine_.substr(0, std::min<std::size_t>(pristine_.size() / 2, 5000));
    switch (fault_) {
      case DbFault::kVanished: std::filesystem::remove(file_); break;
      case DbFault::kTruncated: std::filesystem::resize_file(file_, cut.size()); break;
      case DbFault::kReplacedByTruncated: {
        const auto part = file_.string() + ".part";
        WriteBytes(part, cut);
        std::filesystem::rename(part, file_);
        break;
      }
      case DbFault::kLocked: Lock(); break;
    }
  }
  // Puts the file back as it was (a new file: an open reader keeps what it has).
  void Undo() {
    if (writer_) {
      sqlite3_exec(writer_, "ROLLBACK", nullptr, nullptr, nullptr);
      sqlite3_close(writer_);
      writer_ = nullptr;
    } else if (fault_ != DbFault::kLocked) {
      const auto part = file_.string() + ".restore";
      WriteBytes(part, pristine_);
      std::filesystem::rename(part, file_);
    }
  }

 private:
  // A writer in the middle of committing: it holds the exclusive lock, which shuts every
  // reader out until it ends.
  void Lock() {
    if (sqlite3_open(file_.c_str(), &writer_) != SQLITE_OK ||
        sqlite3_exec(writer_, "PRAGMA journal_mode=DELETE; BEGIN EXCLUSIVE", nullptr, nullptr,
                     nullptr) != SQLITE_OK)
      throw std::runtime_error("cannot lock " + file_.string());
  }

  std::filesystem::path file_;
  DbFault fault_;
  std::string pristine_;
  sqlite3* writer_ = nullptr;
};

}  // namespace tb::testing
