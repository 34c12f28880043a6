// Parts of a printed page that depend on the settings, through the recording stand-in of
// the form library: seal boxes by page, flag and count, row labels that wrap, the weather
// box, the page title, and what each job leaves of the log and the default printer entry.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "client/core/messages.h"
#include "client/printing/print_job.h"
#include "client/printing/print_test_share.h"
#include "platform/profile.h"

namespace tb::print {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::FakeLibrary;
using testing::PrintShare;

constexpr std::chrono::year_month_day kDay{std::chrono::year{2026}, std::chrono::month{3}, std::chrono::day{7}};

// A grid page without items: a caption and a page title only.
struct TitleOnlyGrid : GridPageView {
  std::string title;
  std::string CellText(int, int) const override { return {}; }
  Colour CellForeColour(int, int) const override { return kBlack; }
  std::string PeriodCaption() const override { return "2026年 3月 7日 土曜日"; }
  std::string PageTitle() const override { return title; }
  void SetGridVisible(bool) override {}
};

class PageFill : public ::testing::Test {
 protected:
  void SetUp() override {
    windir = share.Root() / "windir";
    std::filesystem::create_directories(windir);
    setenv("FMDRAW_WINDIR", windir.c_str(), 1);
    ASSERT_TRUE(platform::WriteProfileStringUtf8(WinIni(), "windows", "device", "Office,fmdraw,/out"));
    share.Describe(s, TB_FAKE_FMDRAW);
    s.gInkanName1 = "場長";
    s.gInkanName2 = "課長";
    s.gInkanName3 = "係長";
    s.gInkanName4 = "担当";
    // Seal title n: 100 high at top 1000, 2000 + n * 1000 from the left.
    for (int n = 1; n <= 4; ++n) fake.SetField("NAME" + std::to_string(n), 2000 + n * 1000, 1000, 2800 + n * 1000, 1100);
    host.now = LocalTime{std::chrono::sys_days{kDay}.time_since_epoch()};
  }
  std::filesystem::path WinIni() const { return windir / "win.ini"; }
  std::string Device() const { return platform::ReadProfileStringUtf8(WinIni(), "windows", "device", ""); }
  // The seal calls of each printed page, "NAME3 係長 box line" per seal.
  std::vector<std::vector<std::string>> SealsByPage() const {
    std::vector<std::vector<std::string>> pages;
    for (const auto& l : fake.Lines()) {
      if (l == "FmPrintForm \"\"") pages.emplace_back();
      else if (l.rfind("FmPrintDataField \"NAME", 0) == 0 || l.rfind("FmPrintBox", 0) == 0 ||
               l.rfind("FmPrintLine", 0) == 0)
        pages.back().push_back(l);
    }
    return pages;
  }
  // The seal calls of seal n as the page prints them: its title, its box over the title
  // and five more title heights, the line under the title.
  std::vector<std::string> Seal(int n) const {
    const std::string l = std::to_string(2000 + n * 1000), r = std::to_string(2800 + n * 1000);
    const std::string* names[] = {&s.gInkanName1, &s.gInkanName2, &s.gInkanName3, &s.gInkanName4};
    return {"FmPrintDataField \"NAME" + std::to_string(n) + "\" \"" + *names[n - 1] + "\"",
            "FmPrintBox " + l + " 1000 " + r + " 1600 0", "FmPrintLine " + l + " 1100 " + r + " 1100"};
  }
  std::vector<std::string> Seals(std::initializer_list<int> order) const {
    std::vector<std::string> out;
    for (int n : order)
      for (auto& line : Seal(n)) out.push_back(line);
    return out;
  }
  std::vector<std::string> Labels() const {
    std::vector<std::string> out;
    for (const auto& l : fake.Lines("FmPrintDataField \"LABEL")) out.push_back(l.substr(l.find("\" \"") + 3, l.size() - l.find("\" \"") - 4));
    return out;
  }

  PrintShare share;
  std::filesystem::path windir;
  ClientState s;
  ScriptedHost host;
  FakeLibrary fake;
};

// Seal boxes go on page 1, and on every page when [Inkan] Flg is 0; their number is
// [Inkan] Kosuu when it is 1 to 4, none otherwise; they print from the last to the first.
TEST_F(PageFill, SealBoxesByPageFlagAndCount) {
  struct Case {
    int count, flag;
    std::vector<std::string> page1, page2;
  };
  const Case cases[] = {
      {3, 1, Seals({3, 2, 1}), {}},
      {3, 0, Seals({3, 2, 1}), Seals({3, 2, 1})},
      {1, 7, Seals({1}), {}},
      {4, 0, Seals({4, 3, 2, 1}), Seals({4, 3, 2, 1})},
      {0, 0, {}, {}},
      {5, 0, {}, {}},
      {-1, 0, {}, {}},
  };
  share.AddPage(1, 1, "");
  share.AddPage(1, 2, "");
  s.gMaxPage = 2;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "count " << c.count << " flag " << c.flag);
    FakeLibrary f;
    for (int n = 1; n <= 4; ++n) f.SetField("NAME" + std::to_string(n), 2000 + n * 1000, 1000, 2800 + n * 1000, 1100);
    s.gInkanCount = static_cast<std::int16_t>(c.count);
    s.gInkanFlg = static_cast<std::int16_t>(c.flag);
    PrintReportPeriod(s, host, kDay);
    const auto pages = SealsByPage();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_THAT(pages[0], ElementsAreArray(c.page1));
    EXPECT_THAT(pages[1], ElementsAreArray(c.page2));
  }
}

// The row labels count on from the configured start and go on from 1 after the last row.
TEST_F(PageFill, RowLabelsWrapToOneAfterTheLastRow) {
  share.AddPage(1, 1, "");
  share.AddPage(2, 1, "");
  share.AddPage(3, 1, "");
  s.gPeriodStart = 8;
  PrintReportPeriod(s, host, kDay);
  auto labels = Labels();
  ASSERT_EQ(labels.size(), 24u);
  EXPECT_EQ(labels[0], "08:00");
  EXPECT_EQ(labels[1], "09:00");
  EXPECT_EQ(labels[16], "24:00");
  EXPECT_EQ(labels[17], "01:00");
  EXPECT_EQ(labels[23], "07:00");

  PrintShare::SetKind(s, 2, 30);  // a 30-day month from the 21st
  s.gPeriodStart = 21;
  FakeLibrary monthly;
  PrintReportPeriod(s, host, std::chrono::year{2026} / 4 / 1);
  labels = Labels();
  ASSERT_EQ(labels.size(), 30u);
  EXPECT_EQ(labels[9], "30");
  EXPECT_EQ(labels[10], "1");
  EXPECT_EQ(labels[29], "20");

  PrintShare::SetKind(s, 3, 12);  // twelve months from April
  s.gPeriodStart = 4;
  FakeLibrary yearly;
  PrintReportPeriod(s, host, std::chrono::year{2026} / 1 / 1);
  EXPECT_THAT(Labels(), ElementsAre("4", "5", "6", "7", "8", "9", "10", "11", "12", "1", "2", "3"));

  FakeLibrary pagePrint;  // the page print labels its rows the same way
  TitleOnlyGrid grid;
  PrintGridPage(s, host, grid);
  EXPECT_THAT(Labels(), ElementsAre("4", "5", "6", "7", "8", "9", "10", "11", "12", "1", "2", "3"));
}

// The range print's daily heading gets the weather box when [Tenki] Flg is set; other
// kinds never do.
TEST_F(PageFill, WeatherBoxFollowsTheDailyHeadingOfTheRangePrint) {
  share.AddPage(1, 1, "");
  share.AddPage(2, 1, "");
  s.gTenkiFlg = 1;
  PrintReportPeriod(s, host, kDay);
  s.gTenkiFlg = 0;
  PrintReportPeriod(s, host, kDay);
  s.gTenkiFlg = 1;
  PrintShare::SetKind(s, 2, 31);
  PrintReportPeriod(s, host, std::chrono::year{2026} / 3 / 1);
  EXPECT_THAT(fake.Lines("FmPrintDataField \"M_MIDASHI\""),
              ElementsAre("FmPrintDataField \"M_MIDASHI\" \"2026年 3月 7日 土曜日 天候（        ）\"",
                          "FmPrintDataField \"M_MIDASHI\" \"2026年 3月 7日 土曜日\"",
                          "FmPrintDataField \"M_MIDASHI\" \"2026年 3月\""));
}

// An empty page title: the grid page leaves the title field alone, the range print fills
// it with the empty text.
TEST_F(PageFill, EmptyPageTitle) {
  TitleOnlyGrid grid;
  PrintGridPage(s, host, grid);
  EXPECT_THAT(fake.Lines("FmPrintDataField \"B_MIDASHI\""), IsEmpty());
  grid.title = "取水";
  PrintGridPage(s, host, grid);
  share.AddPage(1, 1, "");
  PrintReportPeriod(s, host, kDay);
  EXPECT_THAT(fake.Lines("FmPrintDataField \"B_MIDASHI\""),
              ElementsAre("FmPrintDataField \"B_MIDASHI\" \"取水\"", "FmPrintDataField \"B_MIDASHI\" \"\""));
}

// A missing form file is logged by the page print only.
TEST_F(PageFill, OnlyThePagePrintLogsAMissingFormFile) {
  fake.SetInitResult(-3);
  PrintReportPeriod(s, host, kDay);
  EXPECT_THAT(host.MessageTexts(), ElementsAre(std::string(msg::kFormFileMissing)));
  const auto log = share.ClientDir() / "WEBLOG" / "20260307.txt";
  EXPECT_FALSE(std::filesystem::exists(log));
  TitleOnlyGrid grid;
  PrintGridPage(s, host, grid);
  EXPECT_TRUE(std::filesystem::exists(log));
}

// Both jobs write the default printer entry they read back at their end, also when the
// library changed it meanwhile; a job whose session did not open leaves it as it is.
TEST_F(PageFill, BothJobsWriteTheDefaultPrinterEntryBack) {
  const std::string changed = "[windows]\r\ndevice=Other,x,y\r\n";
  fake.SetInitWrite(WinIni(), changed);
  share.AddPage(1, 1, "");
  PrintReportPeriod(s, host, kDay);
  EXPECT_EQ(Device(), "Office,fmdraw,/out");
  // The person chose another default printer between the jobs: the page print keeps it.
  ASSERT_TRUE(platform::WriteProfileStringUtf8(WinIni(), "windows", "device", "Desk,fmdraw,/desk"));
  TitleOnlyGrid grid;
  PrintGridPage(s, host, grid);
  EXPECT_EQ(Device(), "Desk,fmdraw,/desk");
  fake.SetInitResult(-3);
  PrintReportPeriod(s, host, kDay);
  EXPECT_EQ(Device(), "Other,x,y");
  ASSERT_TRUE(platform::WriteProfileStringUtf8(WinIni(), "windows", "device", "Office,fmdraw,/out"));
  PrintGridPage(s, host, grid);
  EXPECT_EQ(Device(), "Other,x,y");
}

}  // namespace
}  // namespace tb::print
