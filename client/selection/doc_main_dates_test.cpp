// Date entry on the selection page through the ten-key dialog.
#include "client/selection/test_share.h"

namespace tb::testing {
namespace {

class DateEntry : public SelectionPage {};

// The bounds the dialog offers, from the clicked label and its row.
struct BoundsCase {
  int line;
  const char* yearMode;  // [Mode] Year
  const char* label;
  const char* year;      // the row's year label of the current style
  const char* month;
  const char* min;
  const char* max;
};

TEST_F(DateEntry, BoundsTable) {
  const BoundsCase cases[] = {
      {__LINE__, "1", "lblDay1", "2024", "2", "1", "29"},   // leap year
      {__LINE__, "1", "lblDay1", "2023", "2", "1", "28"},
      {__LINE__, "1", "lblDay1", "2100", "2", "1", "28"},   // century, not a leap year
      {__LINE__, "1", "lblDay1", "2000", "2", "1", "29"},   // 400-year rule
      {__LINE__, "0", "lblDay1", "8", "2", "1", "29"},      // era year 8 = 1996
      {__LINE__, "0", "lblDay1", "38", "4", "1", "30"},
      {__LINE__, "1", "lblDay1", "2026", "12", "1", "31"},
      {__LINE__, "1", "lblDay2", "2025", "2", "1", "28"},   // print mode, start row
      {__LINE__, "0", "lblDay3", "36", "2", "1", "29"},     // print mode, end row: 2024
      {__LINE__, "1", "lblMonth1", "2026", "1", "1", "12"},
      {__LINE__, "1", "lblYear1_S", "2026", "1", "1997", "2050"},
      {__LINE__, "0", "lblYear1", "38", "1", "1", "99"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    share.SetVurodor("Mode", "Year", c.yearMode);
    Start();
    const std::string label = c.label;
    const std::string row(1, label[label.size() - 1] == 'S' ? label[label.size() - 3]
                                                             : label.back());
    if (row != "1") {
      ASSERT_TRUE(Click("optPrint"));
    }
    Ctl((std::string(c.yearMode) == "1" ? "lblYear" + row + "_S" : "lblYear" + row)).caption = c.year;
    Ctl("lblMonth" + row).caption = c.month;
    const std::string before = Cap(label);
    auto shown = Enter(label, "", /*cancel=*/true);
    EXPECT_EQ(shown.shownMin, c.min);
    EXPECT_EQ(shown.shownMax, c.max);
    EXPECT_EQ(shown.shownEntry, before);
    EXPECT_EQ(Cap(label), before);  // cancelled: unchanged
    EXPECT_EQ(Ctl(label).backColour, kWhite);
  }
}

TEST_F(DateEntry, ConfirmedValueBecomesTheCaption) {
  Start();
  Enter("lblDay1", "05");
  EXPECT_EQ(Cap("lblDay1"), "5");
  EXPECT_EQ(state.gTenkeyOk, 1);
  // Out of range: the message, the old value back; then 取 消 leaves the label as it was.
  TenkeyScript script;
  host.onModal = [&](Document& d) {
    for (const char* id : {"cmdTenKey_1", "cmdTenKey_3", "cmdKakutei"})
      d.Handle({UiEvent::Kind::kClick, id});
    EXPECT_FALSE(d.Closed());
    d.Handle({UiEvent::Kind::kClick, "cmdCancel"});
  };
  ASSERT_TRUE(Click("lblMonth1"));
  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{"範囲内のデータを入力して下さい"});
  EXPECT_EQ(Cap("lblMonth1"), "12");
}

TEST_F(DateEntry, StartLabelsAlsoWriteTheEndLabels) {
  Start();
  ASSERT_TRUE(Click("optPrint"));
  Enter("lblMonth2", "3");
  EXPECT_EQ(Cap("lblMonth2"), "3");
  EXPECT_EQ(Cap("lblMonth3"), "3");
  Enter("lblMonth3", "5");
  EXPECT_EQ(Cap("lblMonth2"), "3");
  EXPECT_EQ(Cap("lblMonth3"), "5");
  Enter("lblYear2_S", "2025");
  EXPECT_EQ(Cap("lblYear3_S"), "2025");
  EXPECT_EQ(Cap("lblYear1_S"), "2026");  // row 1 untouched
  EXPECT_FALSE(Click("lblDay1"));  // row 1 is hidden in print mode
}

TEST_F(DateEntry, PointKeyEntersADecimalPointAfterAGridPageWasLeft) {
  state.gGridCurrentCol = 2;  // a grid page with a time column was shown before
  state.gColDisplayType[2] = 6;
  Start();
  std::string entry;
  host.onModal = [&](Document& d) {
    d.Handle({UiEvent::Kind::kClick, "cmdTenKey_10"});
    entry = d.Controls()["txtNowData"].caption;
    d.Handle({UiEvent::Kind::kClick, "cmdCancel"});
  };
  ASSERT_TRUE(Click("lblDay1"));
  EXPECT_EQ(entry, "0.");
}

TEST_F(DateEntry, ChangingTheMonthDoesNotRecheckTheDay) {
  Start();
  Ctl("lblMonth1").caption = "5";
  Enter("lblDay1", "31");
  Enter("lblMonth1", "4");
  EXPECT_EQ(Cap("lblMonth1") + "/" + Cap("lblDay1"), "4/31");
}

TEST_F(DateEntry, PageTakesNoClicksWhileTheDialogIsOpenButTheClockTicks) {
  Start();
  host.onModal = [&](Document& dialog) {
    EXPECT_FALSE(Click("cmdJikkou"));
    EXPECT_FALSE(Click("lblMonth1"));
    host.now = At(2026, 12, 7, 3, 5, 10);
    EXPECT_TRUE(page->Handle({UiEvent::Kind::kTimer, "timDate"}));
    dialog.Handle({UiEvent::Kind::kClick, "cmdCancel"});
  };
  ASSERT_TRUE(Click("lblDay1"));
  EXPECT_TRUE(host.navigations.empty());
  EXPECT_EQ(host.modalDialogs.size(), 1u);
  EXPECT_EQ(Cap("lblDateDisp"), "2026年12月7日 3時5分10秒");
  EXPECT_TRUE(Click("cmdJiPage"));  // the page takes clicks again afterwards
  EXPECT_EQ(Cap("lblDay1"), "8");
}

}  // namespace
}  // namespace tb::testing
