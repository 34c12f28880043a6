// Reading the connection strings the client builds: "Key=Value;Key=Value;...". Keys
// compare without regard to ASCII letter case; blanks around keys and values are
// dropped. Only the provider and the data source are taken from the text: the SQL
// Server values reach the driver from ClientState, never from this parse (a password may
// hold ";"). Pure functions, thread-safe.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tb::db {

enum class ProviderKind { kJet, kSqlServer, kUnknown };

struct ConnectionTarget {
  ProviderKind kind = ProviderKind::kUnknown;
  std::string provider;    // as written
  std::string dataSource;  // as written (a share path for the Jet provider)
};

// The value of the first key named `key` (ASCII case-insensitive), or nullopt.
[[nodiscard]] std::optional<std::string> ConnectionStringValue(std::string_view text,
                                                               std::string_view key);

// Provider and data source of a connection string. "Microsoft.Jet.OLEDB.x" and
// "Microsoft.ACE.OLEDB.x" are the Jet kind, "SQLOLEDB" the SQL Server kind (any case).
[[nodiscard]] ConnectionTarget ParseConnectionTarget(std::string_view text);

}  // namespace tb::db
