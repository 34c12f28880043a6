// The print jobs through a recording stand-in of the form library: the exact calls and
// arguments of a page, the job frame (paper, form file, failures) and the range loop.
#include "client/printing/print_job.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

#include "client/core/messages.h"
#include "client/printing/print_test_share.h"
#include "client/printing/job_gate.h"
#include "client/printing/range_print.h"
#include "platform/profile.h"

namespace tb::print {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::FakeLibrary;
using testing::PrintShare;

// A grid page with nothing in it, for tests that look at the print's messages only.
struct NoGrid : GridPageView {
  std::string CellText(int, int) const override { return {}; }
  Colour CellForeColour(int, int) const override { return kBlack; }
  std::string PeriodCaption() const override { return {}; }
  std::string PageTitle() const override { return {}; }
  void SetGridVisible(bool) override {}
};

std::chrono::year_month_day Day(int y, unsigned m, unsigned d) {
  return std::chrono::year{y} / std::chrono::month{m} / std::chrono::day{d};
}

class PrintJob : public ::testing::Test {
 protected:
  void SetUp() override {
    windir = share.Root() / "windir";
    std::filesystem::create_directories(windir);
    setenv("FMDRAW_WINDIR", windir.c_str(), 1);
    ASSERT_TRUE(platform::WriteProfileStringUtf8(windir / "win.ini", "windows", "device", "Office,fmdraw,/out"));
    share.Describe(s, TB_FAKE_FMDRAW);
    for (int i = 1; i <= 15; ++i) fake.SetField("M_KOMOKU" + std::to_string(i), Left(i), 4300, Left(i) + 2500, 4900);
    host.now = LocalTime{std::chrono::sys_days{Day(2026, 3, 9)}.time_since_epoch()};
  }
  static int Left(int item) { return 2195 + (item - 1) * 2500; }
  // A yearly report of one item whose value is 26 in 2026 and 27 in 2027.
  void TwoYearsOfOneItem() {
    PrintShare::SetKind(s, 3, 12);
    share.AddPage(3, 1, "");
    share.AddItem(3, 1, 1, 7, "", "取水量", "", "m3", "0");
    share.AddValues("D_YDAT", "2026", 7, {"26"}, {});
    share.AddValues("D_YDAT", "2027", 7, {"27"}, {});
  }

  PrintShare share;
  std::filesystem::path windir;
  ClientState s;
  ScriptedHost host;
  FakeLibrary fake;
};

TEST_F(PrintJob, OnePageOfARangePrintCallsTheLibraryInThisOrder) {
  share.AddItem(1, 1, 1, 101, "取水", "取水量", "1号", "m3/h", "0.0");
  share.AddPage(1, 1, "取水設備");
  share.AddValues("D_DDAT", "2026/3/7", 101, {"10", "30", "5"}, {"45", "15", "30", "5"});
  s.gColumnCount = 3;
  s.gInkanCount = 1;
  s.gInkanName1 = "場長";
  s.gKetaFlg = 1;
  // A seal title 100 high at top 1000: box from 1000 to 1600, line at 1100.
  fake.SetField("NAME1", 30000, 1000, 31800, 1100);
  fake.SetField("DATA1_2", 2295, 6200, 4595, 6440);
  fake.SetField("DATA1_3", 2295, 7000, 4595, 7240);

  PrintReportPeriod(s, host, Day(2026, 3, 7));

  const auto lines = fake.Lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "FmSetPrinterDriver 0x40000203 2 8 0 0 0 0 256 0 0 0 0 0");
  EXPECT_EQ(lines[1], "FmInit 0 0 1 100 0 0 0 0 0 0 \"" + (share.Share() / "TB_Format" / "DFmt_A3.fed").string() + "\" \"\"");
  const std::vector<std::string> page(lines.begin() + 2, lines.end());
  EXPECT_THAT(page, ElementsAreArray<std::string>({
      "FmPrintForm \"\"",
      "FmSetLong 5 1",
      "FmPrintDataField \"B_MIDASHI\" \"取水設備\"",
      "FmPrintDataField \"M_MIDASHI\" \"2026年 3月 7日 土曜日\"",
      "FmPrintDataField \"PAGE\" \"1/1\"",
      "FmSetLong 10 0", "FmSetLine 0 10", "FmSetPattern 1",
      "FmPrintDataField \"NAME1\" \"場長\"",
      "FmPrintBox 30000 1000 31800 1600 0",
      "FmPrintLine 30000 1100 31800 1100",
      "FmPrintDataField \"LABEL1\" \"01:00\"",
      "FmPrintDataField \"LABEL2\" \"02:00\"",
      "FmPrintDataField \"LABEL3\" \"03:00\"",
      "FmPrintDataField \"M_KOMOKU1\" \"取水量\"",
      "FmPrintDataField \"S_KOMOKU1\" \"1号\"",
      "FmPrintDataField \"TANI1\" \"m3/h\"",
      "FmPrintDataField \"DATA1_1\" \"10.0\"",
      "FmSetLong 10 255", "FmSetFont 425 425 1 0 0", "FmPrintText 2295 6200 2300 1 2 \"30.0\"",
      "FmSetLong 10 16711680", "FmSetFont 425 425 1 0 0", "FmPrintText 2295 7000 2300 1 2 \"5.0\"",
      "FmPrintDataField \"TOTAL_1\" \"45.0\"",
      "FmPrintDataField \"AVE_1\" \"15.0\"",
      "FmPrintDataField \"MAX_1\" \"30.0\"",
      "FmPrintDataField \"MIN_1\" \"5.0\"",
      // One group of one item, then fourteen empty slots: the last group gets no text.
      "FmSetLong 10 0", "FmSetLine 0 20", "FmPrintLine 4695 3710 4695 4300",
      "FmSetFont 425 425 1 0 0", "FmPrintText 2195 3780 2500 1 3 \"取水\"",
      "FmSetLong 10 0", "FmSetFont 425 425 1 0 0",
      "FmPrintOut",
      "FmTerm"}));
  EXPECT_EQ(s.gPrintSession, (std::array<std::int32_t, 4>{}));
  EXPECT_EQ(host.doEventsCount, 2);  // once for the page, once for the item row
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(platform::ReadProfileStringUtf8(windir / "win.ini", "windows", "device", "", 128), "Office,fmdraw,/out");
}

// Each page's large headings are its own: a slot that page 1 fills and page 2 leaves empty
// is empty on page 2.
TEST_F(PrintJob, EachPageHasItsOwnLargeHeadings) {
  share.AddItem(1, 1, 1, 101, "取水", "取水量", "", "m3/h", "0.0");
  share.AddItem(1, 1, 2, 102, "浄水", "浄水量", "", "m3/h", "0.0");
  share.AddItem(1, 2, 1, 103, "送水", "送水量", "", "m3/h", "0.0");
  share.AddPage(1, 1, "");
  share.AddPage(1, 2, "");
  s.gMaxPage = 2;
  s.gColumnCount = 3;
  PrintReportPeriod(s, host, Day(2026, 3, 7));
  std::vector<std::string> headings;  // the centred texts over the items
  for (const auto& line : fake.Lines("FmPrintText"))
    if (line.find(" 1 3 \"") != std::string::npos) headings.push_back(line.substr(line.rfind(' ') + 1));
  EXPECT_THAT(headings, ElementsAre("\"取水\"", "\"浄水\"", "\"送水\""));
  EXPECT_EQ(fake.Lines("FmPrintOut").size(), 2u);
}

TEST_F(PrintJob, ConstantRowIsDrawnRedThenBlackAndAValueEqualToMaxAndMinIsRed) {
  share.AddItem(1, 1, 1, 101, "A", "定数", "", "m", "");
  share.AddItem(1, 1, 2, 102, "A", "一点", "", "m", "");
  share.AddPage(1, 1, "");
  share.AddValues("D_DDAT", "2026/3/7", 101, {"7", "", "7"}, {"14", "7", "7", "7"});
  share.AddValues("D_DDAT", "2026/3/7", 102, {"", "3"}, {"3", "3", "3", "3"});
  s.gColumnCount = 3;
  for (const char* f : {"DATA1_1", "DATA1_3", "DATA2_2"}) fake.SetField(f, 100, 200, 300, 240);
  PrintReportPeriod(s, host, Day(2026, 3, 7));
  // Item 1: both values red, then both again in black; item 2: its one value red, then black.
  const std::string seven = "FmPrintText 100 200 200 1 2 \"7\"", three = "FmPrintText 100 200 200 1 2 \"3\"";
  EXPECT_THAT(fake.Lines("FmPrintText 100"), ElementsAre(seven, seven, seven, seven, three, three));
  EXPECT_THAT(fake.Lines("FmSetLong 10 "), ElementsAre("FmSetLong 10 0", "FmSetLong 10 255", "FmSetLong 10 255",
                                                       "FmSetLong 10 0", "FmSetLong 10 0", "FmSetLong 10 255",
                                                       "FmSetLong 10 0", "FmSetLong 10 0", "FmSetLong 10 0"));
  EXPECT_TRUE(fake.Lines("FmPrintDataField \"DATA").empty());
}

struct ValueCase {
  int index;
  std::string digits;
  int displayType;
  int keta;
  std::string stored, storedTotal;
  std::optional<std::string> printed, printedTotal;  // nullopt = no call
};

TEST_F(PrintJob, ValueTextsOfTimeItemsAndDigitGrouping) {
  const ValueCase cases[] = {
      {0, "", 6, 1, "90", "*", "1:30", std::nullopt},       // minutes as h:mm; a "*" total prints nothing
      {1, "", 6, 0, "*", "150", "*", "2:30"},     // a "*" value prints as it is
      {2, "0.0", 0, 0, "1234.56", "1234.56", "1234.56", "1234.56"},  // as stored
      {3, "0.0", 0, 1, "1234.56", "1234.56", "1,234.6", "1,234.6"},
      {4, "", 0, 1, "0", "1234", "", "1,234"},    // "#,##" prints 0 as the empty text
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    PrintShare fresh;
    fresh.AddItem(1, 1, 1, 7, "", "x", "", "", c.digits, c.displayType);
    fresh.AddPage(1, 1, "");
    // Two values so that the first is neither the maximum nor the minimum.
    fresh.AddValues("D_DDAT", "2026/3/7", 7, {c.stored, "-1", "99999"}, {c.storedTotal, "", "", ""});
    ClientState st;
    fresh.Describe(st, TB_FAKE_FMDRAW);
    st.gColumnCount = 3;
    st.gKetaFlg = static_cast<std::int16_t>(c.keta);
    FakeLibrary f;
    PrintReportPeriod(st, host, Day(2026, 3, 7));
    const auto data = f.Lines("FmPrintDataField \"DATA1_1\"");
    if (!c.printed) EXPECT_TRUE(data.empty());
    else EXPECT_THAT(data, ElementsAre("FmPrintDataField \"DATA1_1\" \"" + *c.printed + "\""));
    const auto total = f.Lines("FmPrintDataField \"TOTAL_1\"");
    if (!c.printedTotal) EXPECT_TRUE(total.empty());
    else EXPECT_THAT(total, ElementsAre("FmPrintDataField \"TOTAL_1\" \"" + *c.printedTotal + "\""));
  }
}

TEST_F(PrintJob, PagesNotListedAreSkippedAndEachPageHasItsNumber) {
  s.gMaxPage = 3;
  share.AddPage(1, 1, "一");
  share.AddPage(1, 3, "三");
  PrintReportPeriod(s, host, Day(2026, 3, 7));
  EXPECT_EQ(fake.Lines("FmPrintForm").size(), 2u);
  EXPECT_THAT(fake.Lines("FmPrintDataField \"PAGE\""),
              ElementsAre("FmPrintDataField \"PAGE\" \"1/3\"", "FmPrintDataField \"PAGE\" \"3/3\""));
  EXPECT_THAT(fake.Lines("FmPrintDataField \"B_MIDASHI\""),
              ElementsAre("FmPrintDataField \"B_MIDASHI\" \"一\"", "FmPrintDataField \"B_MIDASHI\" \"三\""));
}

// Item numbers 1 to 15 have a place on the form; others are passed over.
TEST_F(PrintJob, OnlyItemsOneToFifteenArePrinted) {
  share.AddPage(1, 1, "");
  for (int item : {0, 1, 15, 16})
    share.AddItem(1, 1, item, 200 + item, "", "項目" + std::to_string(item), "", "", "0");
  PrintReportPeriod(s, host, Day(2026, 3, 7));
  EXPECT_THAT(fake.Lines("FmPrintDataField \"M_KOMOKU"),
              ::testing::UnorderedElementsAre("FmPrintDataField \"M_KOMOKU1\" \"項目1\"",
                                              "FmPrintDataField \"M_KOMOKU15\" \"項目15\""));
  EXPECT_FALSE(s.gDataRs.IsOpen());  // the value query is released after the job
}

// The values come in tag order and the items in item order; each item finds its own
// values wherever they stand, and an item without values gets its headings only.
TEST_F(PrintJob, EachItemGetsTheValuesOfItsOwnTagWhateverTheirOrder) {
  share.AddPage(1, 1, "");
  share.AddItem(1, 1, 1, 303, "", "三", "", "", "0");
  share.AddItem(1, 1, 2, 101, "", "一", "", "", "0");
  share.AddItem(1, 1, 3, 404, "", "無", "", "", "0");
  share.AddItem(1, 1, 4, 202, "", "二", "", "", "0");
  share.AddValues("D_DDAT", "2026/3/7", 101, {"1"}, {"1", "1", "1", "1"});
  share.AddValues("D_DDAT", "2026/3/7", 202, {"2"}, {"2", "2", "2", "2"});
  share.AddValues("D_DDAT", "2026/3/7", 303, {"3"}, {"3", "3", "3", "3"});
  s.gColumnCount = 1;
  PrintReportPeriod(s, host, Day(2026, 3, 7));
  EXPECT_THAT(fake.Lines("FmPrintDataField \"TOTAL_"),
              ElementsAre("FmPrintDataField \"TOTAL_1\" \"3\"", "FmPrintDataField \"TOTAL_2\" \"1\"",
                          "FmPrintDataField \"TOTAL_4\" \"2\""));
  EXPECT_THAT(fake.Lines("FmPrintDataField \"M_KOMOKU3\""), ElementsAre("FmPrintDataField \"M_KOMOKU3\" \"無\""));
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(PrintJob, NoPagesOpensAndClosesTheSessionOnly) {
  s.gMaxPage = 0;
  PrintReportPeriod(s, host, Day(2026, 3, 7));
  const auto lines = fake.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], "FmTerm");
}

TEST_F(PrintJob, FailuresToOpenTheSession) {
  struct Case {
    std::string size;
    int initResult;
    std::string message;
    bool driverCall;
  };
  const Case cases[] = {
      {"A3", -3, std::string(msg::kFormFileMissing), true},
      {"a4", 0, std::string(msg::kPrinterErrorPrefix) + "-2", false},  // unknown size: empty form name
      {"A4", -7, std::string(msg::kPrinterErrorPrefix) + "-7", true},
      // The range print knows A3 and A4 only: the page print's other sizes are unknown here.
      {"B4", 0, std::string(msg::kPrinterErrorPrefix) + "-2", false},
      {"B5", 0, std::string(msg::kPrinterErrorPrefix) + "-2", false},
      {"15", 0, std::string(msg::kPrinterErrorPrefix) + "-2", false},
      {"10", 0, std::string(msg::kPrinterErrorPrefix) + "-2", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    FakeLibrary f;
    for (int i = 1; i <= 15; ++i) f.SetField("M_KOMOKU" + std::to_string(i), Left(i), 4300, Left(i) + 2500, 4900);
    f.SetInitResult(c.initResult);
    s.gPaperSize = c.size;
    host.messages.clear();
    host.SetMousePointer(MousePointer::kHourglass);
    PrintReportPeriod(s, host, Day(2026, 3, 7));
    EXPECT_THAT(host.MessageTexts(), ElementsAre(c.message));
    EXPECT_EQ(host.pointer, MousePointer::kDefault) << "the pointer is not left waiting";
    EXPECT_EQ(f.Lines("FmSetPrinterDriver").size(), c.driverCall ? 1u : 0u);
    if (!c.driverCall) EXPECT_THAT(f.Lines("FmInit"), ElementsAre("FmInit 0 0 1 100 0 0 0 0 0 0 \"\" \"\""));
    EXPECT_TRUE(f.Lines("FmPrintForm").empty());
    EXPECT_EQ(f.Lines().back(), "FmTerm");
    EXPECT_EQ(s.gPrintSession, (std::array<std::int32_t, 4>{}));
  }
}

TEST_F(PrintJob, ADatabaseErrorEndsTheJobWithTheSessionClosed) {
  s.gDataTable = "NO_SUCH_TABLE";
  EXPECT_ANY_THROW(PrintReportPeriod(s, host, Day(2026, 3, 7)));
  EXPECT_THAT(host.MessageTexts(), ElementsAre(std::string(msg::kDatabaseUnreachable)));
  EXPECT_TRUE(fake.Lines("FmInit").empty()) << "the values are read before the session opens";
  EXPECT_EQ(s.gPrintSession, (std::array<std::int32_t, 4>{}));
  EXPECT_FALSE(s.gDataRs.IsOpen());
}

TEST_F(PrintJob, ALostLayoutDatabaseEndsEachJobWithOneMessage) {
  share.AddPage(1, 1, "");
  share.AddPage(1, 2, "");
  s.gMaxPage = 3;
  std::filesystem::rename(share.LayoutDb(), share.LayoutDb().string() + ".gone");
  RunRangePrint(s, host, {2026, 3, 7, 2026, 3, 8});
  const std::string lost(msg::kDatabaseUnreachable);
  EXPECT_THAT(host.MessageTexts(), ElementsAre(lost, lost));  // once a period, not once a page
  EXPECT_TRUE(fake.Lines("FmPrintForm").empty());
  EXPECT_EQ(fake.Lines("FmAbort").size(), 2u) << "the unfinished documents are cancelled";
  EXPECT_EQ(s.gPrintSession, (std::array<std::int32_t, 4>{}));
  EXPECT_FALSE(s.gDataRs.IsOpen());
}

// A job keeps the layout database open from its first query to its end: a later query
// that fails there (the item query of a page) also shows the message once a period, and
// no connection is left open after a job, whether it ended early or not.
TEST_F(PrintJob, ALayoutQueryFailingOnTheJobsConnectionEndsTheJobAndClosesIt) {
  share.AddPage(1, 1, "");
  PrintReportPeriod(s, host, Day(2026, 3, 7));
  EXPECT_EQ(s.gKanriCn, nullptr);
  EXPECT_TRUE(host.MessageTexts().empty());
  s.gItemSql = "SELECT * FROM NO_SUCH_TABLE";
  RunRangePrint(s, host, {2026, 3, 7, 2026, 3, 8});
  const std::string lost(msg::kDatabaseUnreachable);
  EXPECT_THAT(host.MessageTexts(), ElementsAre(lost, lost));
  EXPECT_EQ(fake.Lines("FmTerm").size(), 1u) << "only the whole first job ends normally";
  EXPECT_EQ(fake.Lines("FmAbort").size(), 2u) << "the two cut-off documents are cancelled";
  EXPECT_EQ(s.gKanriCn, nullptr);
  EXPECT_EQ(s.gPrintSession, (std::array<std::int32_t, 4>{}));
}

TEST_F(PrintJob, ThreeDaysAreThreeJobsInDateOrderAndAFailedJobDoesNotStopTheRange) {
  share.AddPage(1, 1, "");
  RunRangePrint(s, host, {2026, 1, 31, 2026, 2, 2});
  EXPECT_THAT(fake.Lines("FmPrintDataField \"M_MIDASHI\""),
              ElementsAre("FmPrintDataField \"M_MIDASHI\" \"2026年 1月 31日 土曜日\"",
                          "FmPrintDataField \"M_MIDASHI\" \"2026年 2月 1日 日曜日\"",
                          "FmPrintDataField \"M_MIDASHI\" \"2026年 2月 2日 月曜日\""));
  EXPECT_EQ(fake.Lines("FmTerm").size(), 3u);
  EXPECT_EQ(s.gDateKey, "2026/2/2");
  EXPECT_FALSE(s.gDataCn);
  EXPECT_EQ(host.statusText, "");
  EXPECT_EQ(host.statusTexts.front(), msg::kStatusPrinting);
  EXPECT_EQ(host.statusTexts[1], std::string(msg::kStatusPrinting) + " 1/3");

  FakeLibrary again;
  again.SetInitResult(-3);
  host.messages.clear();
  RunRangePrint(s, host, {2026, 1, 31, 2026, 2, 2});
  EXPECT_EQ(host.messages.size(), 3u);  // each job shows the missing form once
  EXPECT_EQ(again.Lines("FmInit").size(), 3u);
}

TEST_F(PrintJob, AStoppingServerLetsTheRunningJobEndAndStartsNoOther) {
  share.AddPage(1, 1, "");
  share.AddPage(1, 2, "");
  s.gMaxPage = 2;
  // The server starts stopping while the first period prints its first page.
  host.onDoEvents = [] { PrintJobs().Close(); };
  RunRangePrint(s, host, {2026, 1, 31, 2026, 2, 2});
  PrintJobs().Open();
  host.onDoEvents = nullptr;
  // The first document is whole (both pages, closed); no later period began.
  EXPECT_EQ(fake.Lines("FmInit").size(), 1u);
  EXPECT_EQ(fake.Lines("FmPrintOut").size(), 2u);
  EXPECT_EQ(fake.Lines("FmTerm").size(), 1u);
  EXPECT_EQ(PrintJobs().Running(), 0);
  EXPECT_EQ(host.statusText, "");
  EXPECT_FALSE(s.gDataCn);
}

TEST_F(PrintJob, MonthlyRangeAcrossTheYearEndHasTheDaysOfEachMonth) {
  s.gReportKind = 2;
  s.gDataTable = "D_MDAT";
  s.gItemSql = sql::ItemQuery(2);
  share.AddPage(2, 1, "");
  RunRangePrint(s, host, {2026, 11, 15, 2027, 2, 1});
  std::vector<int> rows;
  int labels = 0;
  for (const auto& l : fake.Lines()) {
    if (l.rfind("FmPrintDataField \"LABEL", 0) == 0) ++labels;
    if (l == "FmTerm") rows.push_back(std::exchange(labels, 0));
  }
  EXPECT_THAT(rows, ElementsAre(30, 31, 31, 28));
  EXPECT_THAT(fake.Lines("FmPrintDataField \"M_MIDASHI\""),
              ElementsAre("FmPrintDataField \"M_MIDASHI\" \"2026年 11月\"", "FmPrintDataField \"M_MIDASHI\" \"2026年 12月\"",
                          "FmPrintDataField \"M_MIDASHI\" \"2027年 1月\"", "FmPrintDataField \"M_MIDASHI\" \"2027年 2月\""));
}

// A disabled day label counts: a day its month does not have makes no date, so the range
// is refused as a daily one is, even when the months alone would make a range.
TEST_F(PrintJob, ADisabledDayPastTheMonthsEndRefusesTheRange) {
  PrintShare::SetKind(s, 2, 28);
  share.AddPage(2, 1, "");
  RunRangePrint(s, host, {2026, 2, 30, 2026, 2, 28});
  RunRangePrint(s, host, {2026, 2, 28, 2026, 4, 31});
  s.gReportKind = 3;
  RunRangePrint(s, host, {2025, 2, 29, 2026, 3, 1});
  const std::string bad(msg::kBadPrintRange);
  EXPECT_THAT(host.MessageTexts(), ElementsAre(bad, bad, bad));
  EXPECT_TRUE(fake.Lines().empty());
}

// A yearly range counts whole years from the start's year: 2026/5/5 to 2027/3/1 is two.
TEST_F(PrintJob, YearlyRangePrintsOneJobPerYear) {
  TwoYearsOfOneItem();
  RunRangePrint(s, host, {2026, 5, 5, 2027, 3, 1});
  EXPECT_THAT(fake.Lines("FmPrintDataField \"M_MIDASHI\""),
              ElementsAre("FmPrintDataField \"M_MIDASHI\" \"2026年度\"", "FmPrintDataField \"M_MIDASHI\" \"2027年度\""));
  EXPECT_THAT(fake.Lines("FmPrintDataField \"DATA1_1\""),
              ElementsAre("FmPrintDataField \"DATA1_1\" \"26\"", "FmPrintDataField \"DATA1_1\" \"27\""));
  EXPECT_EQ(fake.Lines("FmTerm").size(), 2u);
  EXPECT_EQ(s.gDateKey, "2027");
  EXPECT_EQ(s.gReportDate, Day(2028, 1, 1));
}

// The range reads each next period's values before the period's session closes; a job
// takes them only for its own period, and reads the next one's in turn.
TEST_F(PrintJob, ValuesReadAheadAreTakenOnlyByTheirOwnPeriod) {
  TwoYearsOfOneItem();
  OpenDataConnection(s);
  ValuesReadAhead ahead;
  ahead.SetNextPeriod(Day(2027, 1, 1));
  ahead.Read(s);
  ahead.SetNextPeriod(Day(2027, 1, 1));
  PrintReportPeriod(s, host, Day(2026, 1, 1), &ahead);  // 2027's values are not its own
  PrintReportPeriod(s, host, Day(2027, 1, 1), &ahead);  // read ahead by the job before
  ahead.SetNextPeriod(std::nullopt);
  PrintReportPeriod(s, host, Day(2027, 1, 1), &ahead);  // nothing read ahead: its own read
  EXPECT_THAT(fake.Lines("FmPrintDataField \"DATA1_1\""),
              ElementsAre("FmPrintDataField \"DATA1_1\" \"26\"", "FmPrintDataField \"DATA1_1\" \"27\"",
                          "FmPrintDataField \"DATA1_1\" \"27\""));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(ahead.Take("2027"));
}

TEST_F(PrintJob, RangeRefusals) {
  RunRangePrint(s, host, {2026, 3, 8, 2026, 3, 7});
  // The dates are read into the state before they are compared.
  EXPECT_EQ(s.gReportDate, Day(2026, 3, 8));
  EXPECT_EQ(s.gEndDate, Day(2026, 3, 7));
  s.gReportKind = 2;  // the disabled day labels count too
  RunRangePrint(s, host, {2026, 3, 20, 2026, 3, 5});
  s.gReportKind = 1;
  RunRangePrint(s, host, {2026, 2, 30, 2026, 3, 5});  // no such day: no range either
  RunRangePrint(s, host, {0, 3, 7, 2026, 3, 8});      // a year label that could not be read
  RunRangePrint(s, host, {2026, 3, 7, 65536 + 2026, 3, 8});
  host.hasPrinter = false;
  RunRangePrint(s, host, {2026, 3, 7, 2026, 3, 8});
  const std::string bad(msg::kBadPrintRange);
  EXPECT_THAT(host.MessageTexts(), ElementsAre(bad, bad, bad, bad, bad, std::string(msg::kNoPrinter)));
  EXPECT_TRUE(fake.Lines().empty());
  EXPECT_EQ(host.pointer, MousePointer::kDefault);
  EXPECT_EQ(host.statusText, "");  // nothing is printing
  // The last year of the client's date range is a range like any other.
  host.hasPrinter = true;
  host.messages.clear();
  RunRangePrint(s, host, {9999, 12, 31, 9999, 12, 31});
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(fake.Lines("FmTerm").size(), 1u);
}

// Run puts up the hourglass before it prints. A refused range is told with the pointer at
// rest; a session that does not open is told while the job still waits, and the pointer
// rests after that message, for each period of a range and for the page print alike.
TEST_F(PrintJob, ThePointerAtEachMessageOfAPrintJob) {
  using P = MousePointer;
  std::vector<P> atMessage;
  host.onMessage = [&](const auto&) { atMessage.push_back(host.pointer); };
  auto run = [&](const RangeDates& r) {
    host.SetMousePointer(P::kHourglass);
    RunRangePrint(s, host, r);
  };
  run({2026, 3, 8, 2026, 3, 7});
  host.hasPrinter = false;
  run({2026, 3, 7, 2026, 3, 8});
  host.hasPrinter = true;
  EXPECT_THAT(atMessage, ElementsAre(P::kDefault, P::kDefault));

  atMessage.clear();
  fake.SetInitResult(-7);
  run({2026, 3, 7, 2026, 3, 8});
  EXPECT_THAT(atMessage, ElementsAre(P::kHourglass, P::kDefault));
  EXPECT_EQ(host.pointer, P::kDefault);

  NoGrid grid;
  atMessage.clear();
  host.msgBoxAnswers.push_back(MsgBoxResult::kYes);
  PrintGridPage(s, host, grid);  // asked at rest, then the job waits with the hourglass
  EXPECT_THAT(atMessage, ElementsAre(P::kDefault, P::kHourglass));
  EXPECT_EQ(host.pointer, P::kDefault);
}

// A form library that cannot be loaded is one printer error with its number and a log
// line naming the file, for the page print and for a whole range alike; nothing prints.
TEST_F(PrintJob, AMissingFormLibraryIsReportedOnceAndLogged) {
  s.env.formLibrary = share.Root() / "lib" / "libfmdraw32.so";
  const std::string error = std::string(msg::kPrinterErrorPrefix) + "53";
  std::vector<MousePointer> atMessage;
  host.onMessage = [&](const auto&) { atMessage.push_back(host.pointer); };
  host.SetMousePointer(MousePointer::kHourglass);
  RunRangePrint(s, host, {2026, 3, 7, 2026, 3, 9});
  EXPECT_THAT(host.MessageTexts(), ElementsAre(error));
  EXPECT_THAT(atMessage, ElementsAre(MousePointer::kDefault));  // told with the pointer at rest
  EXPECT_EQ(host.statusText, "");
  EXPECT_EQ(host.pointer, MousePointer::kDefault);

  NoGrid grid;
  host.msgBoxAnswers.push_back(MsgBoxResult::kYes);
  PrintGridPage(s, host, grid);
  EXPECT_THAT(host.MessageTexts(), ElementsAre(error, std::string(msg::kPrintThisPage), error));
  EXPECT_TRUE(fake.Lines().empty());
  const auto log = platform::Cp932ToUtf8(::tb::testing::ReadBytes(share.ClientDir() / "WEBLOG" / "20260309.txt"));
  EXPECT_NE(log.find("FormLibrary = " + s.env.formLibrary.string()), std::string::npos) << log;
}

}  // namespace
}  // namespace tb::print
