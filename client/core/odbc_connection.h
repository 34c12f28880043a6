// The ODBC backend (unixODBC), used for the SQL Server data database through the FreeTDS
// driver. Drivers are named by their full path in the connection string, so nothing is
// registered under /etc. The values (server, database, user, password) reach the driver
// as values: each is put in braces with "}" doubled, so ";" or "=" in a password cannot
// change the meaning of the text. A login timeout, a connection timeout and a query
// timeout are always set: a server that accepts and never answers must not hang the
// client. Texts cross the interface as UTF-16 (the wide calls), UTF-8 inside.
// Not thread-safe: one connection belongs to one session's UI thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "client/core/database.h"

namespace tb::db {

inline constexpr int kQueryTimeoutSeconds = 60;
// The TDS protocol version asked of SQL Server (7.4: SQL Server 2012 on; older servers
// answer with their own). $TB_TDS_VERSION overrides it.
inline constexpr char kTdsVersion[] = "7.4";

// Everything that reaches the driver for one connection.
struct OdbcConnectPlan {
  std::string connectionString;
  int loginTimeoutSeconds = 10;
  int connectionTimeoutSeconds = 10;
  int queryTimeoutSeconds = kQueryTimeoutSeconds;
};

using OdbcAttributes = std::vector<std::pair<std::string, std::string>>;

// "{value}" with every "}" doubled, as the ODBC connection-string grammar has it.
[[nodiscard]] std::string OdbcBraced(std::string_view value);
// "{value}" as the FreeTDS driver reads a braced value: up to the first "}" that is
// followed by ";", with no doubling (a doubled "}" would arrive doubled, measured with
// FreeTDS 1.3). A value holding "};" cannot be passed and throws DbError.
[[nodiscard]] std::string FreeTdsBraced(std::string_view value);
// "DRIVER={path};KEY={value};..." in the order given, values braced for FreeTDS. Throws
// DbError for a value that cannot be passed.
[[nodiscard]] std::string OdbcConnectionString(const std::filesystem::path& driver,
                                               const OdbcAttributes& attributes);
// The plan for the SQL Server values of `context` through the FreeTDS driver at `driver`.
[[nodiscard]] OdbcConnectPlan SqlServerPlan(const ConnectionContext& context,
                                            const std::filesystem::path& driver);
// The FreeTDS ODBC driver of this machine: $TB_FREETDS_DRIVER when set, else the first
// libtdsodbc.so found in the usual library folders.
[[nodiscard]] std::optional<std::filesystem::path> FindFreeTdsDriver();

class OdbcConnection : public Connection {
 public:
  // Connects as the plan says. Throws DbError with the driver's diagnostics.
  explicit OdbcConnection(const OdbcConnectPlan& plan);
  ~OdbcConnection() override;
  OdbcConnection(const OdbcConnection&) = delete;
  OdbcConnection& operator=(const OdbcConnection&) = delete;

  Recordset Execute(std::string_view sql) override;
  void Close() override;

 private:
  void* env_ = nullptr;  // SQLHENV
  void* dbc_ = nullptr;  // SQLHDBC
  bool connected_ = false;
  int queryTimeoutSeconds_ = kQueryTimeoutSeconds;
};

// Opens the SQL Server data database of `context`. Throws DbError.
[[nodiscard]] std::unique_ptr<Connection> OpenSqlServer(const ConnectionContext& context);

}  // namespace tb::db
