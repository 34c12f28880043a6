// Fuzz entry for the texts the database layer reads: a connection string (provider and
// data source, then the open dispatch against an empty share) and a Find criterion on a
// small row set. Neither may crash; failures are DbErrors.
#include <cstdint>
#include <filesystem>
#include <string>

#include "client/core/connection_string.h"
#include "client/core/database.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  (void)tb::db::ParseConnectionTarget(text);
  tb::db::ConnectionContext context;
  context.shareRoot = "/nonexistent-tb-fuzz-share";
  context.jetCacheDir = "/nonexistent-tb-fuzz-cache";
  try {
    // Never the SQL Server provider: it would reach for the network.
    if (tb::db::ParseConnectionTarget(text).kind != tb::db::ProviderKind::kSqlServer)
      (void)tb::db::Connection::Open(text, context);
  } catch (const tb::db::DbError&) {
  }
  tb::db::Recordset rs({"TAG_ID", "Title"}, {{"1", "a"}, {std::nullopt, "b'c"}, {"2.5", std::nullopt}});
  try {
    rs.Find(text);
  } catch (const tb::db::DbError&) {
  }
  return 0;
}
