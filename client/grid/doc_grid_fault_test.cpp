// The grid page's load when a database file goes bad between two loads or in the middle
// of one: it vanishes, is cut short, is replaced by a cut copy, or is locked by a writer.
// Every load ends shown with its timer stopped and the specified message, in bounded
// time; once the file is back, the next load shows the page in full.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "client/core/database_fault.h"
#include "client/core/messages.h"
#include "client/grid/grid_test_share.h"

namespace tb {
namespace {

using namespace std::chrono;
using testing::DbFault;
using testing::InjectedDbFault;

enum class Which { kLayout, kData };
enum class When { kBetweenLoads, kDuringLoad };

struct FaultCase {
  Which which;
  When when;
  DbFault fault;
  std::vector<std::string_view> messages;  // what the load with the fault shows
  bool valuesShown;                         // what was read before the fault still shows
};

std::string Name(const FaultCase& c) {
  return std::string(c.which == Which::kLayout ? "layout" : "data") + " database " +
         testing::DbFaultName(c.fault) + (c.when == When::kBetweenLoads ? " between" : " during") +
         " loads";
}

class GridLoadFault : public ::testing::TestWithParam<FaultCase> {
 protected:
  void SetUp() override {
    t.share.AddTag({101, "流量", "A系", "瞬時", "m3/h", "0.0", 0});
    t.share.AddTag({102, "水位", "B系", "", "m", "0.00", 0});
    t.share.Place(1, 1, 1, 101);
    t.share.Place(1, 1, 2, 102);
    t.share.Title(1, 1, "取水");
    t.share.Put(1, "2026/3/7", 101, {{"12.5", "13"}, "25.5", "12.8", "13", "12.5"});
    t.share.Put(1, "2026/3/7", 102, {{"1.5"}, "1.5", "1.5", "1.5", "1.5"});
    testing_share::SetReport(t.s, 1, 2026y / 3 / 7, 1);
  }
  // Loads the page and checks it ended as every load must: shown, stopped, status cleared.
  void LoadAndCheckFinished() {
    const auto start = steady_clock::now();
    t.Open();
    EXPECT_LT(steady_clock::now() - start, seconds(8)) << "a load must not hang on a bad file";
    EXPECT_TRUE(t.doc->Controls()["grdGrid"].visible);
    EXPECT_EQ(t.doc->Controls()["Timer1"].interval, 0);
    EXPECT_EQ(t.host.statusText, "");
    EXPECT_EQ(t.s.gDataCn, nullptr) << "the data connection is closed after the load";
    EXPECT_EQ(t.s.gKanriCn, nullptr) << "the layout connection is closed after the load";
  }
  // This process's descriptors on either database file, vanished ones included. (While a
  // writer of this process holds a lock, SQLite keeps the descriptors of connections
  // closed meanwhile, as closing one would drop the writer's lock; they go with it.)
  std::vector<std::string> OpenDatabaseFiles() const {
    std::vector<std::string> held;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
      std::error_code ec;
      const std::string target = std::filesystem::read_symlink(fd.path(), ec).string();
      for (const auto& db : {t.share.Layout(), t.share.Data()})
        if (!ec && target.starts_with(db.string())) held.push_back(target);
    }
    return held;
  }
  testing_share::GridSession t;
};

TEST_P(GridLoadFault, LoadEndsWithTheMessageAndTheNextLoadIsWhole) {
  const FaultCase& c = GetParam();
  InjectedDbFault fault(c.which == Which::kLayout ? t.share.Layout() : t.share.Data(), c.fault);
  if (c.when == When::kBetweenLoads) {
    fault.Inject();
  } else {
    // After the page title and with the data database open, before the items are read.
    t.host.onStatusText = [&](std::string_view text) {
      if (text == msg::kStatusLoadingItems) fault.Inject();
    };
  }
  LoadAndCheckFinished();
  std::vector<std::string> expected(c.messages.begin(), c.messages.end());
  EXPECT_EQ(t.host.MessageTexts(), expected);
  EXPECT_EQ(t.G().TextMatrix(4, 1), c.valuesShown ? "12.5" : "");

  t.host.onStatusText = nullptr;
  fault.Undo();
  t.host.messages.clear();
  LoadAndCheckFinished();
  EXPECT_TRUE(t.host.messages.empty());
  EXPECT_EQ(t.Caption("lblPageTitle"), "取水");
  EXPECT_EQ(t.G().TextMatrix(0, 2), "水位");
  EXPECT_EQ(t.G().TextMatrix(4, 1), "12.5");
  EXPECT_EQ(t.G().TextMatrix(28, 2), "1.50");
  EXPECT_EQ(OpenDatabaseFiles(), std::vector<std::string>{}) << "neither load holds a file after it";
}

constexpr std::string_view kLost = msg::kDatabaseUnreachable;
constexpr std::string_view kFault = msg::kTableAccessFault;

// The layout database is opened anew for each query: its title and item queries each show
// that it cannot be reached. The data database is opened once a load: when that fails, or
// a value query fails on an open file, the headings still show and the load ends with the
// table access fault. A file that vanishes or is replaced under an open connection is still
// read whole through it.
INSTANTIATE_TEST_SUITE_P(
    EveryFault, GridLoadFault,
    ::testing::Values(
        FaultCase{Which::kLayout, When::kBetweenLoads, DbFault::kVanished, {kLost, kLost}, false},
        FaultCase{Which::kLayout, When::kBetweenLoads, DbFault::kTruncated, {kLost, kLost}, false},
        FaultCase{Which::kLayout, When::kBetweenLoads, DbFault::kReplacedByTruncated, {kLost, kLost}, false},
        FaultCase{Which::kLayout, When::kBetweenLoads, DbFault::kLocked, {kLost, kLost}, false},
        FaultCase{Which::kLayout, When::kDuringLoad, DbFault::kVanished, {kLost}, false},
        FaultCase{Which::kLayout, When::kDuringLoad, DbFault::kTruncated, {kLost}, false},
        FaultCase{Which::kLayout, When::kDuringLoad, DbFault::kReplacedByTruncated, {kLost}, false},
        FaultCase{Which::kLayout, When::kDuringLoad, DbFault::kLocked, {kLost}, false},
        FaultCase{Which::kData, When::kBetweenLoads, DbFault::kVanished, {kFault}, false},
        FaultCase{Which::kData, When::kBetweenLoads, DbFault::kTruncated, {kFault}, false},
        FaultCase{Which::kData, When::kBetweenLoads, DbFault::kReplacedByTruncated, {kFault}, false},
        FaultCase{Which::kData, When::kBetweenLoads, DbFault::kLocked, {kFault}, false},
        FaultCase{Which::kData, When::kDuringLoad, DbFault::kVanished, {}, true},
        FaultCase{Which::kData, When::kDuringLoad, DbFault::kTruncated, {kFault}, false},
        FaultCase{Which::kData, When::kDuringLoad, DbFault::kReplacedByTruncated, {}, true},
        FaultCase{Which::kData, When::kDuringLoad, DbFault::kLocked, {kFault}, false}),
    [](const ::testing::TestParamInfo<FaultCase>& param) {
      std::string name = Name(param.param);
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

}  // namespace
}  // namespace tb
