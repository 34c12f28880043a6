// The grid page's print and the large headings, through the recording stand-in of the
// form library and a grid view holding texts and colours as a loaded grid page shows them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "client/core/messages.h"
#include "client/printing/print_job.h"
#include "client/printing/print_test_share.h"
#include "platform/profile.h"

namespace tb::print {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::FakeLibrary;
using testing::PrintShare;

class FakeGrid : public GridPageView {
 public:
  std::map<std::pair<int, int>, std::string> texts;
  std::map<std::pair<int, int>, Colour> colours;
  std::string caption = "2026年 3月 7日 土曜日", pageTitle = "取水設備";
  std::vector<bool> visibility;

  std::string CellText(int row, int col) const override {
    const auto it = texts.find({row, col});
    return it == texts.end() ? std::string() : it->second;
  }
  Colour CellForeColour(int row, int col) const override {
    const auto it = colours.find({row, col});
    return it == colours.end() ? kBlack : it->second;
  }
  std::string PeriodCaption() const override { return caption; }
  std::string PageTitle() const override { return pageTitle; }
  void SetGridVisible(bool v) override { visibility.push_back(v); }
  void LargeHeadings(const std::vector<std::string>& slots) {
    for (std::size_t j = 0; j < slots.size(); ++j) texts[{0, static_cast<int>(j) + 1}] = slots[j];
  }
};

class PagePrint : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto windir = share.Root() / "windir";
    std::filesystem::create_directories(windir);
    setenv("FMDRAW_WINDIR", windir.c_str(), 1);
    share.Describe(s, TB_FAKE_FMDRAW);
    s.gColumnCount = 2;
    s.gCurrentPage = 2;
    s.gMaxPage = 5;
    for (int i = 1; i <= 15; ++i) fake.SetField("M_KOMOKU" + std::to_string(i), Left(i), 4300, Left(i) + 2500, 4900);
    host.now = LocalTime{std::chrono::sys_days{std::chrono::year{2026} / 3 / 9}.time_since_epoch()};
  }
  static int Left(int item) { return 2195 + (item - 1) * 2500; }
  std::vector<std::string> HeadingCalls() {
    std::vector<std::string> out;
    bool on = false;
    for (const auto& l : fake.Lines()) {
      if (l.rfind("FmPrintDataField \"MIN_15\"", 0) == 0) on = true;
      else if (l == "FmPrintOut") on = false;
      else if (on) out.push_back(l);
    }
    return out;
  }

  PrintShare share;
  ClientState s;
  ScriptedHost host;
  FakeLibrary fake;
  FakeGrid grid;
};

TEST_F(PagePrint, LargeHeadingsAreCentredOverGroupsWithSeparatorsBetween) {
  grid.LargeHeadings({"A", "A", "B", "B", "B"});
  for (int i = 1; i <= 15; ++i) grid.texts[{s.gColumnCount + 7, i}] = "m";  // a MIN_15 text to find the end
  PrintGridPage(s, host, grid);
  EXPECT_THAT(HeadingCalls(), ElementsAre(
      "FmSetLong 10 0", "FmSetLine 0 20", "FmPrintLine 7195 3710 7195 4300",
      "FmSetFont 425 425 1 0 0", "FmPrintText 2195 3780 5000 1 3 \"A\"",
      "FmSetLong 10 0", "FmSetLine 0 20", "FmPrintLine 14695 3710 14695 4300",
      "FmSetFont 425 425 1 0 0", "FmPrintText 7195 3780 7500 1 3 \"B\"",
      // The ten empty slots are the last group: no separator after it, no text.
      "FmSetLong 10 0", "FmSetFont 425 425 1 0 0"));
}

// The last group's heading runs from the left of its first item to the end of the items.
TEST_F(PagePrint, TheLastGroupsHeadingSpansFromItsFirstItemToTheEnd) {
  std::vector<std::string> slots(15, "B");
  slots[0] = slots[1] = "A";
  grid.LargeHeadings(slots);
  for (int i = 1; i <= 15; ++i) grid.texts[{s.gColumnCount + 7, i}] = "m";
  PrintGridPage(s, host, grid);
  EXPECT_THAT(HeadingCalls(), ElementsAre(
      "FmSetLong 10 0", "FmSetLine 0 20", "FmPrintLine 7195 3710 7195 4300",
      "FmSetFont 425 425 1 0 0", "FmPrintText 2195 3780 5000 1 3 \"A\"",
      // A3: from the left of item 3 plus 1200 to the left of item 15 plus 1300.
      "FmSetLong 10 0", "FmSetFont 425 425 1 0 0", "FmPrintText 8395 3780 30100 1 3 \"B\""));
}

TEST_F(PagePrint, OneLargeHeadingOverAllFifteenItems) {
  grid.LargeHeadings(std::vector<std::string>(15, "浄水"));
  for (int i = 1; i <= 15; ++i) grid.texts[{s.gColumnCount + 7, i}] = "m";
  PrintGridPage(s, host, grid);
  // The extent is the left of M_KOMOKU15 plus singleGroupAdd, not a width.
  EXPECT_THAT(HeadingCalls(), ElementsAre("FmSetLong 10 0", "FmSetFont 425 425 1 0 0",
                                          "FmPrintText 2195 3780 38145 1 3 \"浄水\""));
}

TEST_F(PagePrint, PrintsTheGridAsShownRedAndBlueAsFreeText) {
  s.gInkanCount = 2;
  s.gInkanFlg = 1;  // seal boxes on the first page only: this is page 2
  s.gTenkiFlg = 1;
  grid.texts[{1, 1}] = "取水量";
  grid.texts[{2, 1}] = "1号";
  grid.texts[{3, 1}] = "m3/h";
  grid.texts[{4, 1}] = "1,234.5";
  grid.texts[{5, 1}] = "9.0";
  grid.colours[{5, 1}] = kRed;
  grid.texts[{4, 2}] = "1.0";
  grid.colours[{4, 2}] = kBlue;
  grid.texts[{6, 1}] = "1,243.5";  // the item's total, average, maximum and minimum follow the data
  grid.texts[{7, 1}] = "621.8";
  grid.texts[{8, 1}] = "1,234.5";
  grid.texts[{9, 1}] = "9.0";
  fake.SetField("DATA1_2", 10, 20, 110, 40);
  fake.SetField("DATA2_1", 30, 40, 230, 60);
  PrintGridPage(s, host, grid);

  EXPECT_THAT(host.MessageTexts(), ElementsAre(std::string(msg::kPrintThisPage)));
  EXPECT_THAT(fake.Lines("FmPrintDataField \"M_MIDASHI\""),
              ElementsAre("FmPrintDataField \"M_MIDASHI\" \"2026年 3月 7日 土曜日 天候（        ）\""));
  EXPECT_THAT(fake.Lines("FmPrintDataField \"PAGE\""), ElementsAre("FmPrintDataField \"PAGE\" \"2/5\""));
  EXPECT_THAT(fake.Lines("FmPrintDataField \"NAME"), IsEmpty());
  // Plain cells go to their fields (an empty one as the empty text, which prints nothing);
  // red and blue cells are drawn as free text instead.
  EXPECT_THAT(fake.Lines("FmPrintDataField \"DATA1_1\""), ElementsAre("FmPrintDataField \"DATA1_1\" \"1,234.5\""));
  EXPECT_THAT(fake.Lines("FmPrintDataField \"DATA2_2\""), ElementsAre("FmPrintDataField \"DATA2_2\" \"\""));
  EXPECT_TRUE(fake.Lines("FmPrintDataField \"DATA1_2\"").empty());
  EXPECT_TRUE(fake.Lines("FmPrintDataField \"DATA2_1\"").empty());
  EXPECT_THAT(fake.Lines("FmPrintText 10 "), ElementsAre("FmPrintText 10 20 100 1 2 \"9.0\""));
  EXPECT_THAT(fake.Lines("FmPrintText 30 "), ElementsAre("FmPrintText 30 40 200 1 2 \"1.0\""));
  EXPECT_THAT(fake.Lines("FmPrintDataField \"TOTAL_1\""), ElementsAre("FmPrintDataField \"TOTAL_1\" \"1,243.5\""));
  EXPECT_THAT(fake.Lines("FmPrintDataField \"AVE_1\""), ElementsAre("FmPrintDataField \"AVE_1\" \"621.8\""));
  EXPECT_THAT(fake.Lines("FmPrintDataField \"MAX_1\""), ElementsAre("FmPrintDataField \"MAX_1\" \"1,234.5\""));
  EXPECT_THAT(fake.Lines("FmPrintDataField \"MIN_1\""), ElementsAre("FmPrintDataField \"MIN_1\" \"9.0\""));
  EXPECT_THAT(grid.visibility, ElementsAre(false, true));
  // The form first, then its fields; the page out, then the session closed.
  const auto lines = fake.Lines();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[2], "FmPrintForm \"\"");
  EXPECT_EQ(fake.Lines("FmPrintForm").size(), 1u);
  EXPECT_THAT(std::vector<std::string>(lines.end() - 2, lines.end()), ElementsAre("FmPrintOut", "FmTerm"));
  EXPECT_EQ(host.statusTexts, (std::vector<std::string>{std::string(msg::kStatusPrinting), ""}));
  EXPECT_EQ(host.pointer, MousePointer::kDefault);
}

TEST_F(PagePrint, AnsweredNoPrintsNothing) {
  host.msgBoxAnswers.push_back(MsgBoxResult::kNo);
  PrintGridPage(s, host, grid);
  EXPECT_THAT(fake.Lines(), IsEmpty());
  EXPECT_THAT(host.statusTexts, IsEmpty());
}

TEST_F(PagePrint, NoPrinterOpensNoSession) {
  host.hasPrinter = false;
  PrintGridPage(s, host, grid);
  EXPECT_THAT(host.MessageTexts(), ElementsAre(std::string(msg::kPrintThisPage), std::string(msg::kNoPrinter)));
  EXPECT_THAT(fake.Lines(), IsEmpty());
  EXPECT_EQ(host.statusText, "");
}

TEST_F(PagePrint, MissingFormIsReportedAndLogged) {
  fake.SetInitResult(-3);
  PrintGridPage(s, host, grid);
  EXPECT_THAT(host.MessageTexts(), ElementsAre(std::string(msg::kPrintThisPage), std::string(msg::kFormFileMissing)));
  EXPECT_EQ(fake.Lines().back(), "FmTerm");
  EXPECT_EQ(s.gPrintSession, (std::array<std::int32_t, 4>{}));
  EXPECT_EQ(host.statusText, "");
  const auto log = platform::Cp932ToUtf8(::tb::testing::ReadBytes(share.ClientDir() / "WEBLOG" / "20260309.txt"));
  EXPECT_NE(log.find("MainPath = \\\\HOST\\vurodor"), std::string::npos) << log;
  EXPECT_NE(log.find("FormatFile = \\\\HOST\\vurodor\\TB_Format\\DFmt_A3.fed"), std::string::npos) << log;
}

// The page print knows all six sizes; "15" prints on the B4 form, portrait, on its own paper.
TEST_F(PagePrint, EverySizePrintsOnItsFormAndPaper) {
  const std::tuple<const char*, const char*, const char*> sizes[] = {
      {"A3", "2 8", "DFmt_A3.fed"}, {"A4", "2 9", "DFmt_A4.fed"},   {"B4", "2 12", "DFmt_B4.fed"},
      {"B5", "2 13", "DFmt_B5.fed"}, {"15", "1 46", "DFmt_B4.fed"}, {"10", "1 45", "DFmt_10.fed"}};
  for (const auto& [size, paper, form] : sizes) {
    SCOPED_TRACE(size);
    FakeLibrary f;
    for (int i = 1; i <= 15; ++i) f.SetField("M_KOMOKU" + std::to_string(i), Left(i), 4300, Left(i) + 2500, 4900);
    s.gPaperSize = size;
    PrintGridPage(s, host, grid);
    EXPECT_THAT(f.Lines("FmSetPrinterDriver"),
                ElementsAre("FmSetPrinterDriver 0x40000203 " + std::string(paper) + " 0 0 0 0 256 0 0 0 0 0"));
    EXPECT_THAT(f.Lines("FmInit"), ElementsAre(::testing::HasSubstr(std::string("TB_Format/") + form + "\"")));
    EXPECT_EQ(f.Lines("FmPrintOut").size(), 1u);
  }
}

}  // namespace
}  // namespace tb::print
