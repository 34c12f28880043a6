// The seeded share read back through the client core: settings, page counts and items
// of every kind with the client's query texts, and values of periods whose summaries and
// roll-ups must agree with their values.
#include "tools/tbseed/seed_share.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "client/core/client_state.h"
#include "client/core/messages.h"
#include "client/core/query_texts.h"
#include "client/core/scripted_host.h"
#include "client/core/test_files.h"
#include "platform/codepage.h"
#include "tools/tbseed/seed_options.h"
#include "tools/tbseed/value_model.h"

namespace tbseed {
namespace {

using namespace std::chrono;
using tb::testing::ReadBytes;
using tb::testing::TempDir;

class SeededShareTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir();
    SeedOptions o;
    o.shareRoot = dir_->path() / "share";
    o.clientDir = dir_->path() / "client";
    o.tags = 60;
    o.years = 2;
    o.endDate = year{2026} / 3 / 7;
    o.seed = 7;
    summary_ = new SeedSummary(SeedShare(o));
  }
  static void TearDownTestSuite() {
    delete summary_;
    delete dir_;
  }
  void SetUp() override {
    s_.env.shareRoot = dir_->path() / "share";
    s_.env.clientDir = dir_->path() / "client";
    tb::SetServerLocation(s_, "http://plant/docMain.vbd");
    tb::ReadSettings(s_, host_);
    kanriBytes_ = ReadBytes(s_.env.shareRoot / "TB_DataBase" / "Vurodor.mdb");
    dataBytes_ = ReadBytes(s_.env.shareRoot / "TB_DataBase" / "RIVove.mdb");
  }
  void TearDown() override {
    // Reading never writes to the databases.
    EXPECT_EQ(ReadBytes(s_.env.shareRoot / "TB_DataBase" / "Vurodor.mdb"), kanriBytes_);
    EXPECT_EQ(ReadBytes(s_.env.shareRoot / "TB_DataBase" / "RIVove.mdb"), dataBytes_);
    EXPECT_TRUE(host_.messages.empty()) << host_.messages.front().text;
  }
  tb::db::Recordset Kanri(const std::string& sql) {
    tb::db::Recordset rs;
    EXPECT_TRUE(tb::OpenKanriQuery(s_, host_, sql, rs)) << sql;
    tb::db::Recordset copy = rs;
    tb::CloseKanriQuery(s_, rs);
    return copy;
  }
  tb::db::Recordset Data(const std::string& sql) {
    if (!s_.gDataCn) tb::OpenDataConnection(s_);
    return s_.gDataCn->Execute(sql);
  }
  static const Tag& TagOf(const std::string& id) {
    for (const auto& t : summary_->plant.tags)
      if (std::to_string(t.id) == id) return t;
    throw std::runtime_error("no tag " + id);
  }

  static TempDir* dir_;
  static SeedSummary* summary_;
  tb::ClientState s_;
  tb::ScriptedHost host_;
  std::string kanriBytes_, dataBytes_;
};
TempDir* SeededShareTest::dir_ = nullptr;
SeedSummary* SeededShareTest::summary_ = nullptr;

TEST_F(SeededShareTest, ClientReadsTheSettings) {
  EXPECT_EQ(s_.gTitle, "中央浄水場 運転管理帳票");
  EXPECT_EQ(s_.gPaperSize, "A3");
  EXPECT_EQ(s_.gDayStartHour, 8);
  EXPECT_EQ(s_.gMonthStartDay, 1);
  EXPECT_EQ(s_.gYearStartMonth, 4);
  EXPECT_EQ(s_.gInkanName1, "場長");
  EXPECT_EQ(s_.gInkanName4, "担当");
  EXPECT_EQ(s_.gWesternYear, 1);
  EXPECT_EQ(s_.gInkanCount, 4);
  EXPECT_EQ(s_.gTenkiFlg, 1);
  EXPECT_EQ(s_.gKetaFlg, 1);
  EXPECT_EQ(s_.gInkanFlg, 0);
  EXPECT_EQ(s_.gKindFlg, "1");
  EXPECT_EQ(s_.gConnectString,
            "Provider=Microsoft.jet.OLEDB.4.0;Data Source=\\\\plant\\vurodor\\TB_DataBase\\RIVove.mdb");
  // The file is in the Windows code page.
  EXPECT_NE(ReadBytes(s_.env.shareRoot / "Vurodor.ini").find(platform::Utf8ToCp932("中央浄水場")),
            std::string::npos);
}

TEST_F(SeededShareTest, PagesOfEveryKindReadThroughTheQueryTexts) {
  bool shortPage = false, spanningHeading = false;
  for (int kind = 1; kind <= 3; ++kind) {
    SCOPED_TRACE(kind);
    const KindLayout& layout = summary_->plant.layouts[kind - 1];
    EXPECT_EQ(Kanri(tb::sql::PageCount(kind)).Field("MAXP"), std::to_string(layout.maxPage));
    ASSERT_GE(layout.maxPage, 3);
    EXPECT_GT(layout.emptyPage, 0);
    EXPECT_EQ(Kanri(tb::sql::PageTitleList(kind)).RecordCount(), static_cast<std::size_t>(layout.maxPage));
    const std::string itemSql = tb::sql::ItemQuery(kind);
    for (int page = 1; page <= layout.maxPage; ++page) {
      SCOPED_TRACE(page);
      auto rs = Kanri(tb::sql::PageQuery(itemSql, kind, page));
      EXPECT_EQ(rs.RecordCount() == 0, page == layout.emptyPage);
      EXPECT_LE(rs.RecordCount(), 15u);
      if (rs.RecordCount() > 0 && rs.RecordCount() < 15) shortPage = true;
      int lastColumn = 0;
      std::string lastBig, title;
      for (; !rs.Eof(); rs.MoveNext()) {
        const int column = std::atoi(rs.Field("項目NO")->c_str());
        EXPECT_GT(column, lastColumn);
        lastColumn = column;
        for (const char* c : {"BIGN", "MIDN", "SMLN", "TANN", "P種別"}) EXPECT_TRUE(rs.Field(c)) << c;
        if (*rs.Field("BIGN") == lastBig) spanningHeading = true;
        else title += (title.empty() ? "" : "・") + *rs.Field("BIGN");
        lastBig = *rs.Field("BIGN");
      }
      // A page is titled by the large headings on it, in order; a page without rows "予備".
      EXPECT_EQ(Kanri(tb::sql::PageTitle(kind, page)).Field("Title"), title.empty() ? "予備" : title);
      EXPECT_FALSE(Kanri(tb::sql::PageTitle(kind, page)).Eof());
      const bool printed = std::find(layout.printPages.begin(), layout.printPages.end(), page) !=
                           layout.printPages.end();
      EXPECT_EQ(!Kanri(tb::sql::PrintPage(kind, page)).Eof(), printed);
    }
  }
  EXPECT_TRUE(shortPage);
  EXPECT_TRUE(spanningHeading);
}

// Checks the summaries of one data row against its values.
void ExpectConsistent(const tb::db::Recordset& rs, const Tag& tag, int columns) {
  double sum = 0;
  int n = 0;
  std::optional<std::string> maxText, minText;
  double maxV = 0, minV = 0;
  for (int i = 1; i <= columns; ++i) {
    const auto& v = rs.Field("DATA_" + std::to_string(i));
    if (!v || v->empty() || *v == "*") continue;
    const double x = std::strtod(v->c_str(), nullptr);
    sum += x;
    if (n == 0 || x > maxV) maxV = x, maxText = v;
    if (n == 0 || x < minV) minV = x, minText = v;
    ++n;
  }
  EXPECT_EQ(rs.Field("MAX"), maxText);
  EXPECT_EQ(rs.Field("MIN"), minText);
  if (tag.total && n > 0) {
    EXPECT_EQ(rs.Field("TOTAL"), ValueModel::Format(sum, Decimals(tag.digits)));
  }
  if (!tag.total) {
    EXPECT_EQ(rs.Field("TOTAL"), std::nullopt);
  }
  // The average is rounded to the tag's places.
  if (n > 0) {
    EXPECT_NEAR(std::strtod(rs.Field("AVE")->c_str(), nullptr), sum / n,
                0.5 * std::pow(10.0, -Decimals(tag.digits)) + 1e-9);
  }
}

TEST_F(SeededShareTest, ValuesOfAPeriodAgreeWithTheirSummariesAndRollUps) {
  auto items = Kanri(tb::sql::PageQuery(tb::sql::ItemQuery(1), 1, 1));
  ASSERT_GT(items.RecordCount(), 0u);
  for (; !items.Eof(); items.MoveNext()) {
    const std::string id = *items.Field("TAG_ID");
    SCOPED_TRACE(id);
    const Tag& tag = TagOf(id);
    auto day = Data(tb::sql::TagValues("D_DDAT", "2026/2/14", std::stoll(id)));
    ASSERT_EQ(day.RecordCount(), 1u);
    ExpectConsistent(day, tag, 24);
    auto month = Data(tb::sql::TagValues("D_MDAT", "2026/2", std::stoll(id)));
    ASSERT_EQ(month.RecordCount(), 1u);
    ExpectConsistent(month, tag, 31);
    // Every day carries up into its month, the month's last day too.
    for (int d : {1, 14, 28}) {
      auto ofDay = Data(tb::sql::TagValues("D_DDAT", "2026/2/" + std::to_string(d), std::stoll(id)));
      EXPECT_EQ(month.Field("DATA_" + std::to_string(d)),
                tag.total ? ofDay.Field("TOTAL") : ofDay.Field("AVE")) << "day " << d;
    }
    EXPECT_EQ(month.Field("DATA_29"), std::nullopt);  // February 2026 has 28 days
    auto year = Data(tb::sql::TagValues("D_YDAT", "2025", std::stoll(id)));
    ASSERT_EQ(year.RecordCount(), 1u);
    ExpectConsistent(year, tag, 12);
    // Fiscal year 2025 begins in April: February 2026 is its 11th month.
    EXPECT_EQ(year.Field("DATA_11"), tag.total ? month.Field("TOTAL") : month.Field("AVE"));
  }
  auto all = Data(tb::sql::PeriodValues("D_DDAT", "2026/3/7"));
  EXPECT_EQ(all.RecordCount(), summary_->plant.tags.size());
  // The last day is still running: hours after the 14th have no value yet.
  EXPECT_TRUE(all.Field("DATA_14"));
  EXPECT_EQ(all.Field("DATA_15"), std::nullopt);
  EXPECT_TRUE(Data(tb::sql::PeriodValues("D_DDAT", "2026/3/8")).Eof());
}

std::string AnyDataColumn(const std::string& condition) {
  std::string sql;
  for (int i = 1; i <= 24; ++i) sql += (i > 1 ? " OR DATA_" : "DATA_") + std::to_string(i) + condition;
  return sql;
}

TEST_F(SeededShareTest, DataHoldMarksNullsConstantRowsAndDurations) {
  auto count = [&](const std::string& where) {
    return std::stoll(*Data("SELECT COUNT(*) AS N FROM D_DDAT WHERE " + where).Field("N"));
  };
  EXPECT_GT(count(AnyDataColumn(" = '*'")), 0);
  EXPECT_GT(count(AnyDataColumn(" = ''")), 0);
  EXPECT_GT(count("DATE <> '2026/3/7' AND (" + AnyDataColumn(" IS NULL") + ")"), 0);
  std::string allMax;
  for (int i = 1; i <= 24; ++i) allMax += (i > 1 ? " AND DATA_" : "DATA_") + std::to_string(i) + " = MAX";
  EXPECT_GT(count(allMax), 0);
  // Duration tags hold minutes: at most 60 in an hour, shown as hours and minutes.
  auto durations = Kanri("SELECT TAG_ID FROM M_TAG WHERE P種別 = 6");
  ASSERT_FALSE(durations.Eof());
  auto maxMinutes = Data("SELECT MAX(CAST(MAX AS INTEGER)) AS M FROM D_DDAT WHERE TAG_ID = " +
                         *durations.Field("TAG_ID"));
  EXPECT_EQ(maxMinutes.Field("M"), "60");
  // Running hours, whatever their pattern of running, are all duration tags.
  const std::string hours = "FROM M_TAG JOIN M_UNIT USING (単位NO) WHERE M_UNIT.名称 = '時間'";
  EXPECT_GE(std::stoll(*Kanri("SELECT COUNT(*) AS N " + hours).Field("N")), 3);
  EXPECT_EQ(Kanri("SELECT COUNT(*) AS N " + hours + " AND (P種別 <> 6 OR 種別 <> 3)").Field("N"), "0");
  // Key columns carry their declared types, and the data tables are indexed.
  EXPECT_EQ(Data("SELECT type FROM pragma_table_info('D_DDAT') WHERE name = 'TAG_ID'").Field("type"),
            "INTEGER");
  EXPECT_EQ(Data("SELECT COUNT(*) AS N FROM sqlite_master WHERE type = 'index' AND tbl_name LIKE 'D_%'")
                .Field("N"),
            "3");
  EXPECT_EQ(Kanri("SELECT COUNT(*) AS N FROM M_TAG WHERE 有効桁 IS NULL").Field("N"), "2");
  EXPECT_EQ(Kanri("SELECT COUNT(*) AS N FROM M_TAG WHERE 有効桁 = ''").Field("N"), "2");
}

// A tag of one decimal whose values are never marked.
Tag CleanTag(Behaviour behaviour, double base, double spread) {
  Tag tag;
  tag.behaviour = behaviour;
  tag.base = base;
  tag.spread = spread;
  tag.digits = "0.0";
  tag.clean = true;
  return tag;
}

// Solar power is made from seven to five o'clock, both hours included, and is 0 at night;
// every value has the decimals of its tag's digits.
TEST(ValueModelTest, SolarPowerRunsFromSevenToFive) {
  const Tag solar = CleanTag(Behaviour::kSolar, 100, 0);
  const auto values = ValueModel(7).DayValues(solar, sys_days{2026y / June / 21}, 1, 25);
  ASSERT_EQ(values.size(), 24u);
  for (int hour = 1; hour <= 24; ++hour) {
    const std::string text = values[static_cast<std::size_t>(hour - 1)].value_or("-1");
    EXPECT_EQ(text.find('.'), text.size() - 2) << text;
    const double v = std::stod(text);
    if (hour >= 7 && hour <= 17) EXPECT_GT(v, 0) << hour;
    else EXPECT_EQ(v, 0) << hour;
  }
}

// Rain falls on about a quarter of the days of a year; the other days are dry all day.
TEST(ValueModelTest, RainFallsOnAQuarterOfTheDays) {
  const Tag rain = CleanTag(Behaviour::kRain, 0, 10);
  const ValueModel model(3);
  int wetDays = 0;
  for (sys_days day = sys_days{2025y / January / 1}; day < sys_days{2026y / January / 1}; day += days{1}) {
    bool wet = false;
    for (const auto& v : model.DayValues(rain, day, 1, 25)) wet = wet || std::stod(v.value_or("0")) > 0;
    wetDays += wet ? 1 : 0;
  }
  EXPECT_GT(wetDays, 365 * 15 / 100);
  EXPECT_LT(wetDays, 365 * 35 / 100);
}

TEST(SeedOptionsTest, ParsesFlagsAndRefusesBadOnes) {
  const year_month_day today = year{2026} / 12 / 8;
  auto ok = ParseSeedArgs({"--share-root", "s", "--client-dir", "c", "--tags", "1000", "--years",
                           "10", "--end-date", "2024-02-29", "--seed", "9", "--day-start-hour", "1"},
                          today);
  ASSERT_TRUE(std::holds_alternative<SeedOptions>(ok));
  const auto& o = std::get<SeedOptions>(ok);
  EXPECT_EQ(o.tags, 1000);
  EXPECT_EQ(o.years, 10);
  EXPECT_EQ(o.endDate, year{2024} / 2 / 29);
  EXPECT_EQ(o.seed, 9u);
  EXPECT_EQ(o.dayStartHour, 1);
  auto defaults = ParseSeedArgs({"--share-root", "s", "--client-dir", "c"}, today);
  EXPECT_EQ(std::get<SeedOptions>(defaults).endDate, today);

  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--share-root", "s"},
      {"--share-root", "s", "--client-dir"},
      {"--share-root", "s", "--client-dir", "c", "--tags", "0"},
      {"--share-root", "s", "--client-dir", "c", "--tags", "99999"},
      {"--share-root", "s", "--client-dir", "c", "--years", "x"},
      {"--share-root", "s", "--client-dir", "c", "--end-date", "2025-02-29"},
      {"--share-root", "s", "--client-dir", "c", "--end-date", "2025/01/01"},
      {"--share-root", "s", "--client-dir", "c", "--end-date", "2025-01-xx"},
      {"--share-root", "s", "--client-dir", "c", "--seed", "-1"},
      {"--share-root", "s", "--client-dir", "c", "--seed", "99999999999999999999"},  // past 64 bits
      {"--share-root", "s", "--client-dir", "c", "--bogus", "1"},
  };
  for (std::size_t i = 0; i < bad.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(std::holds_alternative<ArgError>(ParseSeedArgs(bad[i], today)));
  }
}

// A database that cannot be made fails with its file's name, and leaves nothing behind.
TEST(SeedShareTest, ADatabaseThatCannotBeMadeFailsByName) {
  TempDir dir;
  const auto target = dir.path() / "no such folder" / "Vurodor.mdb";
  try {
    WriteLayoutDatabase(target, BuildPlant(3));
    ADD_FAILURE() << "written";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("cannot create " + target.string()), std::string::npos) << e.what();
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(SeedShareTest, SameSeedSameValuesAndReseedingReplacesFiles) {
  TempDir dir;
  SeedOptions o;
  o.shareRoot = dir.path() / "a";
  o.clientDir = dir.path() / "ac";
  o.tags = 3;
  o.years = 1;
  o.endDate = year{2024} / 2 / 29;
  auto first = SeedShare(o);
  EXPECT_EQ(first.firstDay, sys_days{year{2023} / 3 / 1});
  const std::string bytes = ReadBytes(o.shareRoot / "TB_DataBase" / "RIVove.mdb");
  SeedShare(o);  // over the existing share
  EXPECT_EQ(ReadBytes(o.shareRoot / "TB_DataBase" / "RIVove.mdb"), bytes);
  o.seed = 2;
  SeedShare(o);
  EXPECT_NE(ReadBytes(o.shareRoot / "TB_DataBase" / "RIVove.mdb"), bytes);
  EXPECT_FALSE(std::filesystem::exists(o.shareRoot / "TB_DataBase" / "RIVove.mdb.seeding"));
}

}  // namespace
}  // namespace tbseed
