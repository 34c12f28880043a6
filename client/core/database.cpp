// Connection::Open: chooses the backend from the connection string and, for the Jet
// provider, from the first bytes of the file it names.
#include <array>
#include <cstring>
#include <fstream>

#include "client/core/connection_string.h"
#include "client/core/database.h"
#include "client/core/jet_cache.h"
#include "client/core/odbc_connection.h"
#include "client/core/sqlite_connection.h"
#include "platform/share_path.h"

namespace tb::db {
namespace {

bool HasSqliteHeader(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::array<char, 16> head{};
  if (!in.read(head.data(), head.size())) return false;
  return std::memcmp(head.data(), "SQLite format 3", 16) == 0;  // includes the NUL
}

// A Jet data source is a share path; it never reaches outside the share root.
std::filesystem::path ResolveDataSource(const std::string& dataSource,
                                        const ConnectionContext& context) {
  if (context.shareRoot.empty()) throw DbError("no share folder is configured");
  auto path = platform::ResolveSharePath(dataSource, context.shareRoot);
  if (!path) throw DbError("not a path on the share: " + dataSource);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(*path, ec))
    throw DbError("database file not found: " + dataSource);
  return *path;
}

std::unique_ptr<Connection> OpenJetProvider(const ConnectionTarget& target,
                                            const ConnectionContext& context) {
  const auto file = ResolveDataSource(target.dataSource, context);
  if (HasSqliteHeader(file)) return std::make_unique<SqliteConnection>(file);
  if (jet::HasJetHeader(file))
    return std::make_unique<SqliteConnection>(jet::EnsureCache(file, context.jetCacheDir));
  throw DbError("not a database file: " + target.dataSource);
}

}  // namespace

std::unique_ptr<Connection> Connection::Open(std::string_view connectionString,
                                             const ConnectionContext& context) {
  const ConnectionTarget target = ParseConnectionTarget(connectionString);
  switch (target.kind) {
    case ProviderKind::kJet:
      return OpenJetProvider(target, context);
    case ProviderKind::kSqlServer:
      return OpenSqlServer(context);
    case ProviderKind::kUnknown:
      break;
  }
  throw DbError("provider not available: " + target.provider);
}

}  // namespace tb::db
