// Jet files: the import of the sample files by tbjetimport against mdb-export writing the
// same tables as CSV (the baseline), and a grid-page-like query set on an imported cache
// against the same data in a plain SQLite file.
// Run: build/bin/jet_import_bench (TB_TESTDATA points at the sample folder).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "client/core/jet_cache.h"

namespace fs = std::filesystem;

namespace {

const char* const kSamples[] = {"nwind.mdb", "ASampleDatabase.accdb", "DateTestDatabase.mdb"};

fs::path Sample(int index) {
  const char* root = std::getenv("TB_TESTDATA");
  return fs::path(root ? root : "/work/shared/testdata") / "jet" / kSamples[index];
}

fs::path Importer() {
  return fs::read_symlink("/proc/self/exe").parent_path() / "tbjetimport";
}

fs::path WorkDir() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("jet_bench_" + std::to_string(::getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

void Shell(const std::string& command) {
  const int rc = std::system(command.c_str());
  if (rc != 0) throw std::runtime_error("failed: " + command);
}

std::vector<std::string> Tables(const fs::path& file) {
  std::vector<std::string> tables;
  FILE* pipe = popen(("mdb-tables -1 '" + file.string() + "'").c_str(), "r");
  char line[512];
  while (fgets(line, sizeof line, pipe)) {
    std::string name(line);
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
    if (!name.empty()) tables.push_back(name);
  }
  pclose(pipe);
  return tables;
}

void BM_Import_tbjetimport(benchmark::State& state) {
  const fs::path source = Sample(static_cast<int>(state.range(0)));
  const fs::path target = WorkDir() / "import.sqlite";
  for (auto _ : state) {
    fs::remove(target);
    Shell("'" + Importer().string() + "' '" + source.string() + "' '" + target.string() + "'");
  }
  state.SetLabel(kSamples[state.range(0)]);
  state.counters["bytes"] = static_cast<double>(fs::file_size(source));
}

// Baseline: mdb-export of every user table to CSV, one run per table as the tool works.
void BM_Import_mdbexport_csv(benchmark::State& state) {
  const fs::path source = Sample(static_cast<int>(state.range(0)));
  std::string command;
  for (const std::string& table : Tables(source)) {
    command += "mdb-export '" + source.string() + "' '" + table + "' > /dev/null && ";
  }
  command += "true";
  for (auto _ : state) Shell(command);
  state.SetLabel(kSamples[state.range(0)]);
}

BENCHMARK(BM_Import_tbjetimport)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import_mdbexport_csv)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The same data written as a designer would in SQLite: the cache's tables copied, keyed
// lookups indexed.
fs::path NativeCopy(const fs::path& cache) {
  const fs::path native = WorkDir() / "native.sqlite";
  fs::remove(native);
  Shell("sqlite3 '" + native.string() + "' \"ATTACH '" + cache.string() + "' AS jet; "
        "CREATE TABLE Orders AS SELECT * FROM jet.Orders; "
        "CREATE TABLE \\\"Order Details\\\" AS SELECT * FROM jet.\\\"Order Details\\\"; "
        "CREATE TABLE Customers AS SELECT * FROM jet.Customers; "
        "CREATE TABLE Products AS SELECT * FROM jet.Products; "
        "CREATE UNIQUE INDEX o ON Orders(OrderID); "
        "CREATE INDEX d ON \\\"Order Details\\\"(OrderID); "
        "CREATE UNIQUE INDEX c ON Customers(CustomerID); "
        "CREATE UNIQUE INDEX p ON Products(ProductID);\"");
  return native;
}

fs::path Cache() {
  static const fs::path cache = [] {
    const fs::path share = WorkDir() / "share";
    fs::create_directories(share);
    fs::copy_file(Sample(0), share / "data.mdb", fs::copy_options::overwrite_existing);
    return tb::jet::EnsureCache(share / "data.mdb", WorkDir() / "cache");
  }();
  return cache;
}

// One grid page: open the database, then per column a keyed row (as the per-tag value
// query) and the rows of a key in order (as the page query), then close.
void GridPage(const fs::path& db, std::mt19937& random) {
  sqlite3* h = nullptr;
  sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READONLY, nullptr);
  for (int column = 0; column < 15; ++column) {
    const int order = 10248 + static_cast<int>(random() % 830);
    const std::string sqls[] = {
        "SELECT * FROM Orders WHERE OrderID = " + std::to_string(order),
        "SELECT * FROM Customers WHERE CustomerID = (SELECT CustomerID FROM Orders WHERE OrderID = " +
            std::to_string(order) + ")",
        "SELECT d.*, p.ProductName FROM \"Order Details\" d, Products p WHERE d.ProductID = "
        "p.ProductID AND d.OrderID = " + std::to_string(order) + " ORDER BY d.ProductID"};
    for (const std::string& sql : sqls) {
      sqlite3_stmt* st = nullptr;
      sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr);
      while (sqlite3_step(st) == SQLITE_ROW) {
        for (int i = 0; i < sqlite3_column_count(st); ++i) benchmark::DoNotOptimize(sqlite3_column_text(st, i));
      }
      sqlite3_finalize(st);
    }
  }
  sqlite3_close(h);
}

void BM_GridPage_native_sqlite(benchmark::State& state) {
  const fs::path native = NativeCopy(Cache());
  std::mt19937 random(1);
  for (auto _ : state) GridPage(native, random);
}

// The Jet path as the client takes it: the cache check of the source, then SQLite.
void BM_GridPage_jet_cache(benchmark::State& state) {
  (void)Cache();
  const fs::path source = WorkDir() / "share" / "data.mdb";
  std::mt19937 random(1);
  for (auto _ : state) GridPage(tb::jet::EnsureCache(source, WorkDir() / "cache"), random);
}

BENCHMARK(BM_GridPage_native_sqlite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GridPage_jet_cache)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove_all(WorkDir());
  return 0;
}
