// The selection page as it comes up: design, start-up, clock, kind and mode selection.
#include <tuple>

#include "client/selection/test_share.h"

namespace tb::testing {
namespace {

const std::vector<std::string> kValueLabels = {
    "lblYear1", "lblYear1_S", "lblMonth1", "lblDay1", "lblYear2", "lblYear2_S",
    "lblMonth2", "lblDay2", "lblYear3", "lblYear3_S", "lblMonth3", "lblDay3"};

// Ids of the controls among `ids` that are visible (or enabled).
std::string Showing(DocMain& page, const std::vector<std::string>& ids, bool Control::*flag) {
  std::string out;
  for (const auto& id : ids)
    if (page.Controls()[id].*flag) out += (out.empty() ? "" : " ") + id;
  return out;
}

TEST(DocMainDesign, ControlsAsDesigned) {
  ClientState state;
  ScriptedHost host;
  DocMain page(state, host);
  auto& c = page.Controls();
  EXPECT_EQ(page.Name(), "docMain");
  EXPECT_TRUE(c["optNippou"].value && c["optSyuusei"].value);
  EXPECT_FALSE(c["optGeppou"].value || c["optNenpou"].value || c["optPrint"].value);
  EXPECT_EQ(c["Timer1"].interval, 0);
  EXPECT_EQ(c["timDate"].interval, 1000);
  // Every control lies inside its container (or the page).
  for (const auto& ctl : c.All()) {
    int width = page.Width(), height = page.Height();
    if (!ctl->container.empty()) {
      width = c[ctl->container].width;
      height = c[ctl->container].height;
    }
    EXPECT_LE(ctl->left + ctl->width, width) << ctl->Id();
    EXPECT_LE(ctl->top + ctl->height, height) << ctl->Id();
  }
  // The western-year label of a row lies above the era label (later = on top).
  auto pos = [&](const std::string& id) {
    for (std::size_t i = 0; i < c.All().size(); ++i)
      if (c.All()[i]->Id() == id) return i;
    return c.All().size();
  };
  EXPECT_GT(pos("lblYear1_S"), pos("lblYear1"));
  EXPECT_GT(pos("lblYear1_S"), pos("lblDate1_0"));
}

class StartUp : public SelectionPage {};

TEST_F(StartUp, WesternYearsFromSettings) {
  host.locationUrl = "http://HOST:8080/tb/docMain.vbd";
  auto& p = Start();
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(p.StartedUp());
  EXPECT_EQ(Cap("lblVersion"), "ver.1.00.113");
  EXPECT_EQ(state.gServerUrl, "http://HOST:8080");
  EXPECT_EQ(state.gBaseUrl, "http://HOST:8080/");
  EXPECT_EQ(state.gServerFolder, "\\\\HOST:8080\\vurodor");
  EXPECT_EQ(Cap("lblTitle"), "第一工場 運転日報");
  EXPECT_EQ(state.gReportKind, 1);
  EXPECT_EQ(Ctl("Timer1").interval, 0);
  for (int row = 1; row <= 3; ++row) {
    const auto n = std::to_string(row);
    EXPECT_EQ(Cap("lblYear" + n + "_S"), "2026");
    EXPECT_EQ(Cap("lblYear" + n), "38");  // 平成 year: 38 + 1988 = 2026
    EXPECT_EQ(Cap("lblMonth" + n), "12");
    EXPECT_EQ(Cap("lblDay" + n), "7");
  }
  EXPECT_EQ(Showing(p, kValueLabels, &Control::visible), "lblYear1_S lblMonth1 lblDay1");
  EXPECT_FALSE(Ctl("lblKara").visible);
  EXPECT_TRUE(Ctl("lblDate1_0").visible);
  EXPECT_FALSE(Ctl("lblDate2_0").visible || Ctl("lblDate3_3").visible);
  // The start-up runs once.
  EXPECT_FALSE(p.Handle({UiEvent::Kind::kTimer, "Timer1"}));
}

TEST_F(StartUp, EraYears) {
  share.SetVurodor("Mode", "Year", "0");
  auto& p = Start();
  EXPECT_EQ(Showing(p, kValueLabels, &Control::visible), "lblYear1 lblMonth1 lblDay1");
  EXPECT_EQ(Cap("lblYear1"), "38");
}

TEST_F(StartUp, WithoutVurodorIniContinuesAfterTheMessage) {
  std::filesystem::remove(share.Share() / "Vurodor.ini");
  auto& p = Start();
  ASSERT_EQ(host.MessageTexts(), std::vector<std::string>{"サーバーを認識できません。"});
  EXPECT_EQ(host.messages[0].caption, "確認");
  EXPECT_EQ(Cap("lblTitle"), "");
  EXPECT_EQ(Ctl("Timer1").interval, 0);
  EXPECT_EQ(Showing(p, kValueLabels, &Control::visible), "lblYear1 lblMonth1 lblDay1");
  EXPECT_TRUE(Click("optGeppou"));
}

// A start-up tick that comes while the start-up's own message box is open is refused:
// the start-up runs once.
TEST_F(StartUp, ATickDuringTheStartUpsMessageIsRefused) {
  std::filesystem::remove(share.Share() / "Vurodor.ini");
  page = std::make_unique<DocMain>(state, host);
  page->Initialize();
  std::vector<bool> nested;
  host.onMessage = [&](const ScriptedHost::Message&) {
    nested.push_back(page->Handle({UiEvent::Kind::kTimer, "Timer1"}));
  };
  EXPECT_TRUE(page->Handle({UiEvent::Kind::kTimer, "Timer1"}));
  EXPECT_EQ(nested, std::vector<bool>{false});
  EXPECT_EQ(host.messages.size(), 1u);
}

TEST_F(StartUp, ClicksBeforeTheStartUpAreRefused) {
  page = std::make_unique<DocMain>(state, host);
  page->Initialize();
  EXPECT_EQ(Ctl("Timer1").interval, 100);
  EXPECT_FALSE(Click("cmdJikkou"));
  EXPECT_FALSE(Click("optGeppou"));
  EXPECT_TRUE(host.navigations.empty());
  EXPECT_EQ(state.gReportKind, 0);
}

// Only a running timer ticks: a tick from the browser that names a stopped timer, a
// control that is no timer or no control at all changes nothing (and the start-up still
// runs on its own tick afterwards).
TEST_F(StartUp, TicksOfWhatIsNoRunningTimerAreRefused) {
  page = std::make_unique<DocMain>(state, host);
  for (const char* id : {"Timer1", "cmdJikkou", "lblYear1_S", "nosuch", ""})
    EXPECT_FALSE(page->Handle({UiEvent::Kind::kTimer, id})) << id;
  EXPECT_EQ(state.gReportKind, 0);
  EXPECT_EQ(Cap("lblVersion"), "");
  page->Initialize();
  EXPECT_TRUE(page->Handle({UiEvent::Kind::kTimer, "Timer1"}));
  EXPECT_EQ(state.gReportKind, 1);
}

TEST_F(StartUp, ClockInBothYearStyles) {
  for (auto [mode, expected] : {std::pair{"1", "2026年12月7日 3時5分9秒"},
                                std::pair{"0", "令和8年12月7日 3時5分9秒"}}) {
    share.SetVurodor("Mode", "Year", mode);
    Start();
    EXPECT_TRUE(page->Handle({UiEvent::Kind::kTimer, "timDate"}));
    EXPECT_EQ(Cap("lblDateDisp"), expected);
  }
}

// Kind x mode x year style: which value labels show and which take clicks.
struct KindModeCase {
  const char* kind;
  const char* mode;
  const char* yearMode;
  const char* visible;
  const char* disabled;
};

class KindAndMode : public SelectionPage, public ::testing::WithParamInterface<KindModeCase> {};

TEST_P(KindAndMode, VisibleAndEnabledLabels) {
  const auto& c = GetParam();
  share.SetVurodor("Mode", "Year", c.yearMode);
  auto& p = Start();
  ASSERT_TRUE(Click(c.kind));
  ASSERT_TRUE(Click(c.mode));
  EXPECT_EQ(Showing(p, kValueLabels, &Control::visible), c.visible);
  std::string disabled;
  for (const auto& id : kValueLabels)
    if (!Ctl(id).enabled) disabled += (disabled.empty() ? "" : " ") + id;
  EXPECT_EQ(disabled, c.disabled);
  const bool print = std::string(c.mode) == "optPrint";
  EXPECT_EQ(Ctl("lblKara").visible, print);
  EXPECT_EQ(Ctl("lblDate1_1").visible, !print);
  EXPECT_EQ(Ctl("lblDate3_1").visible, print);
  for (const char* option : {"optNippou", "optGeppou", "optNenpou", "optSyuusei", "optPrint"}) {
    const bool chosen = option == std::string(c.kind) || option == std::string(c.mode);
    EXPECT_EQ(Ctl(option).value, chosen) << option;
    EXPECT_EQ(Ctl(option).foreColour, chosen ? kBlack : kGrey) << option;
  }
  EXPECT_EQ(p.FocusedControl(), "cmdJikkou");
  // A click on a hidden or disabled label is refused and shows no dialog.
  for (const auto& id : kValueLabels)
    if (!Ctl(id).visible || !Ctl(id).enabled) {
      EXPECT_FALSE(Click(id)) << id;
    }
  EXPECT_TRUE(host.modalDialogs.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, KindAndMode,
    ::testing::Values(
        KindModeCase{"optNippou", "optSyuusei", "1", "lblYear1_S lblMonth1 lblDay1", ""},
        KindModeCase{"optGeppou", "optSyuusei", "1", "lblYear1_S lblMonth1 lblDay1",
                     "lblDay1 lblDay2 lblDay3"},
        KindModeCase{"optNenpou", "optSyuusei", "0", "lblYear1 lblMonth1 lblDay1",
                     "lblMonth1 lblDay1 lblMonth2 lblDay2 lblMonth3 lblDay3"},
        KindModeCase{"optNippou", "optPrint", "0",
                     "lblYear2 lblMonth2 lblDay2 lblYear3 lblMonth3 lblDay3", ""},
        KindModeCase{"optGeppou", "optPrint", "1",
                     "lblYear2_S lblMonth2 lblDay2 lblYear3_S lblMonth3 lblDay3",
                     "lblDay1 lblDay2 lblDay3"},
        KindModeCase{"optNenpou", "optPrint", "1",
                     "lblYear2_S lblMonth2 lblDay2 lblYear3_S lblMonth3 lblDay3",
                     "lblMonth1 lblDay1 lblMonth2 lblDay2 lblMonth3 lblDay3"}));

// What a person sees of each control: shown, enabled, chosen, its colour and caption.
std::vector<std::string> Flags(DocMain& page) {
  std::vector<std::string> out;
  for (const auto& c : page.Controls().All())
    out.push_back(c->Id() + ":" + (c->visible ? "v" : "-") + (c->enabled ? "e" : "-") +
                  (c->value ? "x" : "-") +
                  (c->foreColour ? std::to_string(*c->foreColour) : "") + " " + c->caption);
  return out;
}

// A switch of kind or mode undoes what an earlier one disabled or hid: after a round
// through the other kinds and print mode, the page is as it came up.
TEST_F(StartUp, SwitchingBackRestoresWhatAnEarlierSwitchDisabledOrHid) {
  auto& p = Start();
  const auto initial = Flags(p);
  ASSERT_TRUE(Click("optNenpou"));
  ASSERT_TRUE(Click("optGeppou"));
  EXPECT_TRUE(Ctl("lblMonth1").enabled);  // the yearly report had disabled it
  EXPECT_FALSE(Ctl("lblDay1").enabled);
  ASSERT_TRUE(Click("optPrint"));
  ASSERT_TRUE(Click("optNenpou"));
  ASSERT_TRUE(Click("optNippou"));
  EXPECT_TRUE(Ctl("lblMonth3").enabled && Ctl("lblDay3").enabled);
  ASSERT_TRUE(Click("optSyuusei"));
  EXPECT_EQ(Flags(p), initial);
  EXPECT_TRUE(Click("lblDay1"));  // takes clicks again: the ten-key dialog opens
}

TEST_F(StartUp, BackToDisplayModeShowsRowOneAgain) {
  auto& p = Start();
  ASSERT_TRUE(Click("optPrint"));
  ASSERT_TRUE(Click("optSyuusei"));
  EXPECT_EQ(Showing(p, kValueLabels, &Control::visible), "lblYear1_S lblMonth1 lblDay1");
  EXPECT_FALSE(Ctl("lblKara").visible);
  EXPECT_EQ(Ctl("optPrint").foreColour, kGrey);
}

}  // namespace
}  // namespace tb::testing
