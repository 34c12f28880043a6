#include <gtest/gtest.h>

#include "client/core/connection_string.h"

namespace tb::db {
namespace {

TEST(ConnectionStringTest, ProviderKindsIgnoreCase) {
  struct Row {
    const char* text;
    ProviderKind kind;
    const char* dataSource;
  };
  const Row rows[] = {
      {"Provider=Microsoft.jet.OLEDB.4.0;Data Source=\\\\H\\vurodor\\TB_DataBase\\Vurodor.mdb",
       ProviderKind::kJet, "\\\\H\\vurodor\\TB_DataBase\\Vurodor.mdb"},
      {"provider = MICROSOFT.JET.OLEDB.4.0 ; data source = x.mdb", ProviderKind::kJet, "x.mdb"},
      {"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=a", ProviderKind::kJet, "a"},
      {"Provider=SQLOLEDB;Data Source=srv;Initial Catalog=db;User ID=u;Password=p;",
       ProviderKind::kSqlServer, "srv"},
      {"PROVIDER=sqloledb.1;Data Source=srv", ProviderKind::kSqlServer, "srv"},
      {"Provider=MSDASQL;Data Source=x", ProviderKind::kUnknown, "x"},
      {"", ProviderKind::kUnknown, ""},
      {";;;==;", ProviderKind::kUnknown, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    auto t = ParseConnectionTarget(r.text);
    EXPECT_EQ(t.kind, r.kind);
    EXPECT_EQ(t.dataSource, r.dataSource);
  }
}

}  // namespace
}  // namespace tb::db
