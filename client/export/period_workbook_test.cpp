// The workbook of a period, read back with openpyxl: sheets and their names, values and
// their types, number formats, colours, joined headings, panes and page setup; all kinds;
// database faults; the grid page's state kept.
#include "client/export/period_workbook.h"

#include <gtest/gtest.h>

#include <fstream>

#include "client/core/utf16.h"
#include "client/export/export_test_share.h"

namespace tb::workbook {
namespace {

using namespace std::chrono;
namespace fs = std::filesystem;
using testing::At;
using testing::ReadWorkbook;
using json = nlohmann::json;

constexpr const char* kRed = "FF0000";
constexpr const char* kBlue = "0000FF";

// The daily share of export_test_share.h with the report of 2026/12/8 described.
struct DailyShare {
  DailyShare() {
    testing::FillDailyShare(share);
    share.ReadInto(s, host);
    testing_share::SetReport(s, 1, 2026y / 12 / 8, 5);
  }
  json Export(std::optional<int> page = std::nullopt) {
    const auto result = ExportPeriodWorkbook(s, file, page);
    EXPECT_TRUE(result.ok) << result.message;
    return ReadWorkbook(file);
  }
  testing::Share share{8, 1, 4, /*ketaFlg=*/1};
  ClientState s;
  ScriptedHost host;
  fs::path file = share.Root() / "out.xlsx";
};

class DailyWorkbook : public ::testing::Test, protected DailyShare {};

// The whole period's workbook, written and read once for the tests that only look at it.
class DailyPeriod : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    DailyShare daily;
    workbook_ = new json(daily.Export());
  }
  static void TearDownTestSuite() {
    delete workbook_;
    workbook_ = nullptr;
  }
  static const json& Workbook() { return *workbook_; }
  static const json& Sheet(size_t i) { return (*workbook_)["sheets"][i]; }

 private:
  static json* workbook_;
};
json* DailyPeriod::workbook_ = nullptr;

void ExpectNumber(const json& sheet, const std::string& cell, double v, const std::string& fmt,
                  const char* font = nullptr) {
  const auto& c = At(sheet, cell);
  EXPECT_EQ(c["t"], "number") << cell << " " << c.dump();
  if (c["t"] == "number") { EXPECT_DOUBLE_EQ(c["v"].get<double>(), v) << cell; }
  EXPECT_EQ(c["fmt"], fmt) << cell;
  if (font) { EXPECT_EQ(c["font"], font) << cell; }
}

void ExpectText(const json& sheet, const std::string& cell, const std::string& text) {
  EXPECT_EQ(At(sheet, cell)["t"], "text") << cell << " " << At(sheet, cell).dump();
  EXPECT_EQ(At(sheet, cell)["v"], text) << cell;
}

void ExpectMinutes(const json& sheet, const std::string& cell, double minutes,
                   const char* font = nullptr) {
  const auto& c = At(sheet, cell);
  EXPECT_EQ(c["t"], "duration") << cell << " " << c.dump();
  if (c["t"] == "duration") { EXPECT_NEAR(c["v"].get<double>(), minutes, 1e-6) << cell; }
  EXPECT_EQ(c["fmt"], "[h]:mm") << cell;
  if (font) { EXPECT_EQ(c["font"], font) << cell; }
}

void ExpectEmpty(const json& sheet, const std::string& cell) {
  EXPECT_TRUE(At(sheet, cell)["v"].is_null()) << cell << " " << At(sheet, cell).dump();
}

TEST_F(DailyPeriod, OneSheetPerPageNamedByNumberAndTitle) {
  const auto& wb = Workbook();
  ASSERT_EQ(wb["sheets"].size(), 5u);
  const std::string cut = Utf16ToUtf8(Utf8ToUtf16(testing::kLongTitle).substr(0, 29));
  const std::vector<std::string> names = {"1 取水［系］：1／2＊？＼", "2 " + cut, "3 " + cut, "4", "5"};
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(wb["sheets"][i]["name"], names[i]) << i;
  EXPECT_EQ(wb["title"], "日報 2026/12/8");
  // The full title stays on the sheet itself.
  ExpectText(wb["sheets"][1], "A1", testing::kLongTitle);
}

TEST_F(DailyPeriod, ValuesAreNumbersRoundedAsTheDigitPatternRounds) {
  const auto& sheet = Sheet(0);
  ExpectText(sheet, "A1", "取水[系]:1/2*?\\");
  EXPECT_TRUE(At(sheet, "A1")["bold"].get<bool>());
  ExpectText(sheet, "A2", "2026年 12月 8日 火曜日");
  // Column B: digit pattern 0.0 with thousands separators.
  ExpectNumber(sheet, "B8", 101.3, "#,##0.0", nullptr);
  ExpectNumber(sheet, "B9", 1234.6, "#,##0.0");
  ExpectEmpty(sheet, "B10");  // Null
  ExpectText(sheet, "B11", "*");
  ExpectNumber(sheet, "B12", 1250, "#,##0.0", kRed);
  ExpectNumber(sheet, "B13", 2.5, "#,##0.0", kBlue);
  ExpectEmpty(sheet, "B14");  // empty text
  ExpectNumber(sheet, "B15", 100, "#,##0.0");
  ExpectNumber(sheet, "B32", 24000.0, "#,##0.0");
  ExpectNumber(sheet, "B33", 1000.1, "#,##0.0");
  ExpectNumber(sheet, "B34", 1250, "#,##0.0", kRed);
  ExpectNumber(sheet, "B35", 2.5, "#,##0.0", kBlue);
  // Column C: 0.00; a value equal to both marks is red.
  ExpectNumber(sheet, "C8", 0.13, "#,##0.00", kBlue);
  ExpectNumber(sheet, "C9", 2, "#,##0.00", kRed);
  // Column F: 0.000 (half away from zero on the decimal text).
  ExpectNumber(sheet, "F9", 1.235, "#,##0.000", kRed);
  EXPECT_EQ(At(sheet, "F8")["font"], kBlue);
  EXPECT_EQ(At(sheet, "F8")["t"], "number");
  EXPECT_EQ(At(sheet, "F8")["v"].get<double>(), 0.0);
}

TEST_F(DailyPeriod, TimeItemsAreDurations) {
  const auto& sheet = Sheet(0);
  ExpectMinutes(sheet, "D8", 90);
  ExpectText(sheet, "D9", "*");
  ExpectMinutes(sheet, "D10", 60000, kRed);
  ExpectMinutes(sheet, "D11", 60, kBlue);  // 59.5 minutes round to 60, as shown (1:00)
  ExpectEmpty(sheet, "D32");               // a "*" total shows nothing
  ExpectMinutes(sheet, "D33", 60);
  ExpectMinutes(sheet, "D34", 60000, kRed);
}

TEST_F(DailyPeriod, HeadingsLabelsAndColoursAsThePageShowsThem) {
  const auto& sheet = Sheet(0);
  EXPECT_EQ(sheet["merged"], json::array({"B4:C4"}));
  ExpectText(sheet, "B4", "取水");
  ExpectText(sheet, "D4", "運転");
  ExpectText(sheet, "C5", "濁度");
  ExpectText(sheet, "D6", "1号");
  ExpectText(sheet, "F7", "MPa");
  ExpectText(sheet, "A7", "時");
  EXPECT_EQ(At(sheet, "A7")["font"], "FFFFFF");
  EXPECT_EQ(At(sheet, "A4")["fill"], "808080");
  ExpectText(sheet, "A8", "08:00");  // the day starts at 8
  ExpectText(sheet, "A24", "24:00");
  ExpectText(sheet, "A25", "01:00");
  ExpectText(sheet, "A32", "合計");
  ExpectText(sheet, "A35", "最小");
  EXPECT_EQ(At(sheet, "B9")["fill"], "EBFFFF");  // odd period rows are tinted
  EXPECT_TRUE(At(sheet, "B8")["fill"].is_null());
  EXPECT_EQ(At(sheet, "B33")["fill"], "C8FFFF");
  EXPECT_EQ(At(sheet, "B8")["h"], "right");
  EXPECT_EQ(At(sheet, "A8")["h"], "center");
  // Fewer than 15 tags: the sheet ends with the last column in use; the gap stays.
  EXPECT_EQ(sheet["maxCol"], 6);
  EXPECT_EQ(sheet["maxRow"], 35);
  ExpectEmpty(sheet, "E4");
}

TEST_F(DailyPeriod, FrozenPanesWidthsAndPageSetup) {
  const auto& wb = Workbook();
  const auto& sheet = wb["sheets"][0];
  EXPECT_EQ(sheet["freeze"], "B8");
  EXPECT_EQ(sheet["paper"], 8);  // A3
  EXPECT_EQ(sheet["orientation"], "landscape");
  EXPECT_TRUE(sheet["fitToPage"].get<bool>());
  EXPECT_EQ(sheet["fitWidth"], 1);
  EXPECT_EQ(sheet["fitHeight"], 0);
  EXPECT_EQ(sheet["titleRows"], "$4:$7");
  EXPECT_TRUE(sheet["titleCols"].is_null());
  EXPECT_EQ(sheet["header"][0], "2026年 12月 8日 火曜日");
  EXPECT_EQ(sheet["header"][2], "取水[系]:1/2*?\\");
  // Widths fit the texts: "1,000:00" needs more room than a one-digit column.
  EXPECT_GE(sheet["widths"]["D"].get<double>(), 10);
  EXPECT_LT(wb["sheets"][1]["widths"]["B"].get<double>(), sheet["widths"]["D"].get<double>());
  // A page without rows: labels only.
  EXPECT_EQ(wb["sheets"][3]["maxCol"], 1);
  ExpectText(wb["sheets"][3], "A8", "08:00");
}

TEST_F(DailyWorkbook, OnePageOnlyAndAnEmptyDigitPattern) {
  const auto wb = Export(2);
  ASSERT_EQ(wb["sheets"].size(), 1u);
  ExpectNumber(wb["sheets"][0], "B8", 3, "#,##0");
  ExpectNumber(wb["sheets"][0], "B33", 3.5 + 0.5, "#,##0");  // 3.5 shows as 4
}

TEST_F(DailyWorkbook, TheGridPagesStateIsKept) {
  s.gCurrentPage = 3;
  s.gColPattern[4] = "keep";
  s.gColDisplayType[4] = 6;
  s.gGridCurrentCol = 2;
  EXPECT_TRUE(ExportPeriodWorkbook(s, file).ok);
  EXPECT_EQ(s.gCurrentPage, 3);
  EXPECT_EQ(s.gColPattern[4], "keep");
  EXPECT_EQ(s.gColDisplayType[4], 6);
  EXPECT_EQ(s.gGridCurrentCol, 2);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(DailyWorkbook, ADatabaseFaultWritesNothingAndKeepsAnEarlierFile) {
  { std::ofstream(file) << "earlier"; }
  fs::remove(share.Data());
  const auto result = ExportPeriodWorkbook(s, file);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.message, "テーブルのアクセス異常");
  std::ifstream in(file);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "earlier");
  EXPECT_EQ(std::distance(fs::directory_iterator(share.Root()), fs::directory_iterator()), 3)
      << "no temporary file left beside it";
}

TEST_F(DailyWorkbook, PagesOutsideThePeriodAndUnwritableFolders) {
  EXPECT_EQ(ExportPeriodWorkbook(s, file, 6).message, "出力するページがありません。");
  EXPECT_FALSE(ExportPeriodWorkbook(s, file, 0).ok);
  const auto result = ExportPeriodWorkbook(s, share.Root() / "missing" / "out.xlsx");
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find("ファイルを作成できません"), std::string::npos) << result.message;
  s.gMaxPage = 0;
  EXPECT_EQ(ExportPeriodWorkbook(s, file).message, "出力するページがありません。");
}

// Monthly (a 28-day February starting on the 21st) and yearly (from April) periods.
TEST(PeriodWorkbook, MonthlyAndYearlyPeriods) {
  testing::Share share{1, 21, 4};
  share.AddTag({1, "水量", "計", "日", "m3", "0", 0});
  share.Place(2, 1, 1, 1);
  share.Place(3, 1, 1, 1);
  share.Title(2, 1, "月報");
  share.Put(2, "2026/2", 1, {{"10", "20"}, "30", "15", "20", "10"});
  share.Put(3, "2026", 1, {{"1000", "2000"}, "3000", "1500", "2000", "1000"});
  ClientState s;
  ScriptedHost host;
  share.ReadInto(s, host);
  const auto file = share.Root() / "m.xlsx";

  testing_share::SetReport(s, 2, 2026y / 2 / 1, 1);
  ASSERT_TRUE(ExportPeriodWorkbook(s, file).ok);
  auto sheet = ReadWorkbook(file)["sheets"][0];
  EXPECT_EQ(sheet["name"], "1 月報");
  ExpectText(sheet, "A7", "日");
  ExpectText(sheet, "A8", "21");
  ExpectText(sheet, "A15", "28");
  ExpectText(sheet, "A16", "1");
  ExpectText(sheet, "A36", "合計");  // 28 rows, then the summaries
  ExpectNumber(sheet, "B9", 20, "0", kRed);
  ExpectNumber(sheet, "B36", 30, "0");

  testing_share::SetReport(s, 3, 2026y / 1 / 1, 1);
  ASSERT_TRUE(ExportPeriodWorkbook(s, file).ok);
  sheet = ReadWorkbook(file)["sheets"][0];
  EXPECT_EQ(sheet["name"], "1");  // no title row
  ExpectText(sheet, "A2", "2026年度");
  ExpectText(sheet, "A8", "4");
  ExpectText(sheet, "A19", "3");
  ExpectNumber(sheet, "B8", 1000, "0", kBlue);
  ExpectText(sheet, "A23", "最小");
}

}  // namespace
}  // namespace tb::workbook
