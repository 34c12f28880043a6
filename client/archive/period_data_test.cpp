// The fingerprint of a period's rows: which changes must show in it and which must not.
#include "client/archive/period_data.h"

#include <gtest/gtest.h>

namespace tb::archive {
namespace {

using namespace std::chrono;
using db::Recordset;
using db::Value;

const Period kDay{Kind::kDaily, year{2026} / 3 / 9};

// Rows of D_DDAT with DATE, TAG_ID, DATA_1..DATA_24, TOTAL..MIN and an extra column.
Recordset Rows(std::vector<std::vector<Value>> rows) {
  std::vector<std::string> cols{"DATE", "TAG_ID"};
  for (int k = 1; k <= 24; ++k) cols.push_back("DATA_" + std::to_string(k));
  for (const char* c : {"TOTAL", "AVE", "MAX", "MIN", "NOTE"}) cols.push_back(c);
  for (auto& r : rows) r.resize(cols.size(), std::string("1"));
  return Recordset(cols, rows);
}

TEST(Fingerprint, FollowsTheValuesAReportShowsAndNothingElse) {
  const auto base = FingerprintOf(kDay, Rows({{"2026/3/9", "1"}, {"2026/3/9", "2"}}));
  EXPECT_EQ(base.size(), 64u);
  // The same rows in another order.
  EXPECT_EQ(FingerprintOf(kDay, Rows({{"2026/3/9", "2"}, {"2026/3/9", "1"}})), base);
  // A corrected value.
  auto changed = Rows({{"2026/3/9", "1", "2"}, {"2026/3/9", "2"}});
  EXPECT_NE(FingerprintOf(kDay, changed), base);
  // Null and the empty text are different data.
  EXPECT_NE(FingerprintOf(kDay, Rows({{"2026/3/9", "1", std::nullopt}})),
            FingerprintOf(kDay, Rows({{"2026/3/9", "1", std::string()}})));
  // Texts cannot run into each other ("12" + "3" against "1" + "23").
  EXPECT_NE(FingerprintOf(kDay, Rows({{"2026/3/9", "1", "12", "3"}})),
            FingerprintOf(kDay, Rows({{"2026/3/9", "1", "1", "23"}})));
  // A row more, and no rows at all.
  EXPECT_NE(FingerprintOf(kDay, Rows({{"2026/3/9", "1"}, {"2026/3/9", "2"}, {"2026/3/9", "3"}})), base);
  EXPECT_NE(FingerprintOf(kDay, Rows({})), base);
  // A column no report reads.
  auto note = Rows({{"2026/3/9", "1"}, {"2026/3/9", "2"}});
  std::vector<std::vector<Value>> withNote{{"2026/3/9", "1"}, {"2026/3/9", "2"}};
  for (auto& r : withNote) {
    r.resize(31, std::string("1"));
    r.push_back(std::string("a remark"));
  }
  EXPECT_EQ(FingerprintOf(kDay, Rows(withNote)), base);
}

TEST(Fingerprint, AMonthCountsOnlyItsOwnDays) {
  std::vector<std::string> cols{"DATE", "TAG_ID"};
  for (int k = 1; k <= 31; ++k) cols.push_back("DATA_" + std::to_string(k));
  std::vector<Value> row(cols.size(), std::string("5"));
  const Period feb{Kind::kMonthly, year{2026} / 2 / 1};
  const auto before = FingerprintOf(feb, Recordset(cols, {row}));
  row[2 + 29] = std::string("999");  // DATA_30: February has 28 days
  EXPECT_EQ(FingerprintOf(feb, Recordset(cols, {row})), before);
  row[2 + 27] = std::string("999");  // DATA_28
  EXPECT_NE(FingerprintOf(feb, Recordset(cols, {row})), before);
}

}  // namespace
}  // namespace tb::archive
