// The database layer: what the client uses of its database access objects. A Connection
// is opened from a connection string as the client builds it; Execute runs SQL text and
// returns a fully fetched Recordset (client-side cursor). The client only reads.
//
// Backends, chosen from the connection string and the file:
//  - "Provider=Microsoft.jet.OLEDB.4.0;Data Source=<path>": <path> is a share path
//    (\\HOST\vurodor\...) resolved under the share root. A file with the SQLite header
//    is opened read-only with SQLite; a file with a Jet 3 / Jet 4 / ACE header is read
//    through the Jet import (its tables cached in SQLite); anything else fails.
//  - "Provider=SQLOLEDB;Data Source=..;Initial Catalog=..;User ID=..;Password=..;":
//    ODBC with the FreeTDS driver. The four values come from ClientState as values,
//    never by re-parsing the text (a password may hold ";").
// Every failure throws DbError (a VbError with number kErrDatabase). Not thread-safe: one
// connection belongs to one session's UI thread.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/core/vb_error.h"

namespace tb::db {

class DbError : public VbError {
 public:
  explicit DbError(std::string description)
      : VbError(kErrDatabase, "Database", std::move(description)) {}
};

// Values are texts (UTF-8); integers come as decimal text, booleans as "1"/"0" (a
// boolean column from a Jet file reads "1" for true), Null as nullopt.
using Value = std::optional<std::string>;

class Recordset {
 public:
  Recordset() = default;
  Recordset(std::vector<std::string> columns, std::vector<std::vector<Value>> rows);

  [[nodiscard]] bool IsOpen() const { return open_; }
  [[nodiscard]] bool Eof() const { return !open_ || pos_ >= rows_.size(); }
  [[nodiscard]] bool Bof() const { return !open_ || rows_.empty(); }
  [[nodiscard]] std::size_t RecordCount() const { return rows_.size(); }
  void MoveFirst() { pos_ = 0; }
  void MoveNext() { if (pos_ < rows_.size()) ++pos_; }
  // Searches forward from the current row (inclusive) for a criterion of the form
  // "COLUMN = value" (integer or quoted text); stops on the match or at EOF.
  // Returns true when a row was found. Throws DbError for a criterion it cannot read.
  bool Find(std::string_view criterion);
  // The field of the current row by column name (case-insensitive). Throws DbError for an
  // unknown column, or when there is no current row (EOF).
  [[nodiscard]] const Value& Field(std::string_view column) const;
  [[nodiscard]] bool HasColumn(std::string_view column) const;
  [[nodiscard]] const std::vector<std::string>& Columns() const { return columns_; }
  void Close() { open_ = false; rows_.clear(); pos_ = 0; }

 private:
  [[nodiscard]] std::optional<std::size_t> ColumnIndex(std::string_view column) const;
  std::vector<std::string> columns_;
  std::vector<std::vector<Value>> rows_;
  std::size_t pos_ = 0;
  bool open_ = false;
};

// Where connection strings point on this machine.
struct OdbcConnectPlan;  // odbc_connection.h
struct ConnectionContext;
// Makes what the ODBC driver gets from a context's SQL Server values.
using OdbcPlanMaker = std::function<OdbcConnectPlan(const ConnectionContext&)>;

struct ConnectionContext {
  std::filesystem::path shareRoot;   // stands for \\HOST\vurodor
  std::filesystem::path jetCacheDir; // SQLite caches of imported Jet files (never the share)
  // SQL Server values, passed to the driver as values.
  std::string sqlSource, sqlDatabase, sqlUid, sqlPwd;
  int loginTimeoutSeconds = 10;
  // Empty: the FreeTDS driver's plan (SqlServerPlan). Tests reach a server of another
  // kind through its own ODBC driver this way.
  OdbcPlanMaker odbcPlan;
};

class Connection {
 public:
  virtual ~Connection() = default;
  // Opens the database a connection string names. Throws DbError.
  static std::unique_ptr<Connection> Open(std::string_view connectionString,
                                          const ConnectionContext& context);
  // Runs SQL text and fetches every row. Throws DbError.
  virtual Recordset Execute(std::string_view sql) = 0;
  virtual void Close() = 0;
};

}  // namespace tb::db
