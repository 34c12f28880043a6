// The query layer on an Access file: opened through the Jet provider's connection string
// under a share root, it answers as the same data do in an SQLite file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "client/core/jet_samples.h"
#include "client/core/database.h"

namespace fs = std::filesystem;
using tb::db::Connection;
using tb::db::ConnectionContext;
using tb::db::DbError;

namespace {

constexpr char kProvider[] = "Provider=Microsoft.jet.OLEDB.4.0;Data Source=";

fs::path Sample(const std::string& name) { return tb::testing::JetSample(name); }

class JetConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TB_SKIP_WITHOUT_JET_SAMPLES();
    root_ = fs::temp_directory_path() / ("jet_connection_test_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "share" / "TB_DataBase");
    context_.shareRoot = root_ / "share";
    context_.jetCacheDir = root_ / "cache";
  }
  void TearDown() override { fs::remove_all(root_); }
  void Place(const fs::path& from, const std::string& name) {
    fs::copy_file(from, root_ / "share" / "TB_DataBase" / name, fs::copy_options::overwrite_existing);
  }
  std::unique_ptr<Connection> Open(const std::string& file) {
    return Connection::Open(std::string(kProvider) + "\\\\HOST\\vurodor\\TB_DataBase\\" + file, context_);
  }
  fs::path root_;
  ConnectionContext context_;
};

}  // namespace

TEST_F(JetConnectionTest, AnImportedFileAnswersAsTheSameDataInSqlite) {
  Place(Sample("nwind.mdb"), "RIVove.mdb");
  auto jet = Open("rivove.MDB");  // names match without regard to case, as on the share
  // The same data as a native SQLite file: the cache the first open made.
  fs::path cache;
  for (const auto& e : fs::directory_iterator(root_ / "cache")) {
    if (e.path().extension() == ".sqlite") cache = e.path();
  }
  ASSERT_FALSE(cache.empty());
  Place(cache, "native.db");
  auto native = Open("native.db");
  const char* queries[] = {
      "SELECT * FROM Customers ORDER BY CustomerID",
      "SELECT * FROM Orders WHERE OrderID = 10330",
      "SELECT COUNT(*) AS N FROM Umsätze",
      "SELECT o.OrderID, c.CompanyName FROM Orders o, Customers c "
      "WHERE o.CustomerID = c.CustomerID AND o.EmployeeID = 3 ORDER BY o.OrderID",
  };
  for (const char* sql : queries) {
    auto a = jet->Execute(sql);
    auto b = native->Execute(sql);
    ASSERT_EQ(a.Columns(), b.Columns()) << sql;
    ASSERT_EQ(a.RecordCount(), b.RecordCount()) << sql;
    for (; !a.Eof(); a.MoveNext(), b.MoveNext()) {
      for (const auto& column : a.Columns()) EXPECT_EQ(a.Field(column), b.Field(column)) << sql;
    }
  }
  auto rs = jet->Execute("SELECT * FROM Customers ORDER BY CustomerID");
  EXPECT_FALSE(rs.Field("Region").has_value());  // ALFKI has no region: Null
  EXPECT_TRUE(rs.Find("CustomerID = 'BONAP'"));
  EXPECT_EQ(rs.Field("City"), "Marseille");
  rs = jet->Execute("SELECT * FROM Orders ORDER BY OrderID");
  EXPECT_TRUE(rs.Find("EmployeeID = 3"));
  EXPECT_EQ(rs.Field("OrderID"), "10251");
  EXPECT_EQ(jet->Execute("SELECT COUNT(*) AS N FROM Umsätze").Field("N"), "830");
}

TEST_F(JetConnectionTest, DamagedOrMissingFilesFailToOpen) {
  std::ifstream in(Sample("nwind.mdb"), std::ios::binary);
  std::string head(4096, '\0');
  in.read(head.data(), head.size());
  std::ofstream(root_ / "share" / "TB_DataBase" / "Vurodor.mdb", std::ios::binary) << head + std::string(8192, 'x');
  EXPECT_THROW(Open("Vurodor.mdb"), DbError);
  EXPECT_THROW(Open("RIVove.mdb"), DbError);
}
