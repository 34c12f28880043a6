#include "client/web/session.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "client/web/session_registry.h"
#include "client/web/test_pages.h"

namespace tb::web {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;

std::filesystem::path TempDir(const std::string& name) {
  auto dir = std::filesystem::temp_directory_path() /
             ("tb-web-" + name + "-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  return dir;
}

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SessionConfig c;
    c.makePage = testing::MakeTestPage;
    c.downloadDir = downloads_ = TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    c.replyWait = 5s;
    session_ = std::make_unique<Session>(std::move(c));
    page_ = session_->LoadPage("docMain", "http://plant:8080/docMain.vbd");
  }

  // Waits until the published state satisfies `pred`; fails the test after 5 s.
  json WaitFor(const std::function<bool(const json&)>& pred) {
    auto snap = session_->Current();
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < deadline) {
      auto j = json::parse(snap.json);
      if (pred(j)) return j;
      snap = session_->WaitForChange(snap.version, 200ms);
    }
    ADD_FAILURE() << "state never matched; last: " << snap.json;
    return json::parse(snap.json);
  }

  static std::string Caption(const json& doc, const std::string& id) {
    for (const auto& c : doc["controls"])
      if (c["id"] == id) return c["caption"];
    return "<missing>";
  }
  json Started() {
    return WaitFor([](const json& j) {
      return j["page"] == 1 && !j["doc"].is_null() && Caption(j["doc"], "lblTitle").starts_with("開始");
    });
  }
  EventOutcome Click(const std::string& id, const std::string& doc = "docMain") {
    return session_->PostEvent(page_, doc, UiEvent{UiEvent::Kind::kClick, id, 0, {}, 0, 0});
  }

  std::filesystem::path downloads_;
  std::unique_ptr<Session> session_;
  int page_ = 0;
};

// The page's clock keeps a timer running, but between its ticks the UI thread sleeps:
// a session left open all day must not hold a core.
TEST_F(SessionTest, StartUpTimerRunsOnceWithThePageAddress) {
  auto j = Started();
  EXPECT_EQ(Caption(j["doc"], "lblTitle"), "開始 http://plant:8080/docMain.vbd");
  const auto cpu = [] {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000000L + u.ru_utime.tv_usec + u.ru_stime.tv_usec;
  };
  const long before = cpu();
  std::this_thread::sleep_for(1s);  // Timer1 stopped itself: the caption stays
  EXPECT_LT(cpu() - before, 200000L) << "microseconds of CPU while the page waits";
  EXPECT_EQ(Caption(json::parse(session_->Current().json)["doc"], "lblTitle"),
            "開始 http://plant:8080/docMain.vbd");
}

TEST_F(SessionTest, RefusesEventsAPersonCouldNotMake) {
  Started();
  struct Case {
    const char* why;
    std::string doc;
    UiEvent event;
  } cases[] = {
      {"unknown control", "docMain", {UiEvent::Kind::kClick, "cmdNothing", 0, {}, 0, 0}},
      {"disabled button", "docMain", {UiEvent::Kind::kClick, "cmdOff", 0, {}, 0, 0}},
      {"hidden label", "docMain", {UiEvent::Kind::kClick, "lblHidden", 0, {}, 0, 0}},
      {"inside a disabled frame", "docMain", {UiEvent::Kind::kClick, "cmdInside", 0, {}, 0, 0}},
      {"dialog event without dialog", "frmTest", {UiEvent::Kind::kClick, "cmdOK", 0, {}, 0, 0}},
      {"closing the page", "docMain", {UiEvent::Kind::kClose, "", 0, {}, 0, 0}},
      {"timer from outside", "docMain", {UiEvent::Kind::kTimer, "Timer1", 0, {}, 0, 0}},
      {"text into a label", "docMain", {UiEvent::Kind::kTextChange, "lblValue", 0, "9", 0, 0}},
  };
  const auto before = session_->Current().json;
  for (const auto& c : cases)
    EXPECT_EQ(session_->PostEvent(page_, c.doc, c.event), EventOutcome::kRefused) << c.why;
  EXPECT_EQ(session_->Current().json, before);
  EXPECT_EQ(session_->PostEvent(page_ + 1, "docMain", {UiEvent::Kind::kClick, "cmdHello"}),
            EventOutcome::kStale);
}

TEST_F(SessionTest, ModalDialogBlocksThePageUntilAnswered) {
  Started();
  ASSERT_EQ(Click("lblValue"), EventOutcome::kDone);  // returns while the dialog is open
  auto j = WaitFor([](const json& s) { return s["dialogs"].size() == 1; });
  EXPECT_EQ(j["dialogs"][0]["name"], "frmTest");
  EXPECT_EQ(Caption(j["dialogs"][0], "txtNowData"), "3");

  EXPECT_EQ(Click("cmdHello"), EventOutcome::kRefused) << "the page takes no clicks under a dialog";
  EXPECT_EQ(session_->PostEvent(page_, "frmTest", {UiEvent::Kind::kTextChange, "txtNowData", 0, "42"}),
            EventOutcome::kDone);
  // Enter confirms; the answer comes after the page has taken the value.
  EXPECT_EQ(session_->PostEvent(page_, "frmTest", {UiEvent::Kind::kKeyPress, "", 13}), EventOutcome::kDone);
  j = json::parse(session_->Current().json);
  EXPECT_TRUE(j["dialogs"].empty());
  EXPECT_EQ(Caption(j["doc"], "lblValue"), "42");
}

TEST_F(SessionTest, ClockKeepsTickingUnderADialog) {
  Started();
  ASSERT_EQ(Click("lblValue"), EventOutcome::kDone);
  auto j = WaitFor([](const json& s) { return s["dialogs"].size() == 1 && Caption(s["doc"], "lblClock") != "0"; });
  EXPECT_EQ(j["dialogs"].size(), 1u);
}

TEST_F(SessionTest, MessageBoxWaitsForItsButton) {
  Started();
  ASSERT_EQ(Click("cmdAsk"), EventOutcome::kDone);
  auto j = WaitFor([](const json& s) { return !s["msgbox"].is_null(); });
  const auto id = j["msgbox"]["id"].get<std::uint64_t>();
  EXPECT_EQ(j["msgbox"]["text"], "続けますか？");
  EXPECT_EQ(j["msgbox"]["buttons"], "yesno");
  EXPECT_EQ(Click("cmdHello"), EventOutcome::kRefused);
  EXPECT_FALSE(session_->AnswerMsgBox(id + 1, MsgBoxResult::kYes)) << "wrong box";
  EXPECT_FALSE(session_->AnswerMsgBox(id, MsgBoxResult::kOk)) << "no OK button on a yes/no box";
  EXPECT_TRUE(session_->AnswerMsgBox(id, MsgBoxResult::kNo));
  j = WaitFor([](const json& s) { return s["msgbox"].is_null() && Caption(s["doc"], "lblAnswer") == "no"; });
  EXPECT_EQ(Caption(j["doc"], "lblAnswer"), "no");
  EXPECT_FALSE(session_->AnswerMsgBox(id, MsgBoxResult::kYes)) << "answered already";

  // An OK box takes OK only.
  ASSERT_EQ(Click("cmdHello"), EventOutcome::kDone);
  j = WaitFor([](const json& s) { return !s["msgbox"].is_null(); });
  const auto ok = j["msgbox"]["id"].get<std::uint64_t>();
  EXPECT_FALSE(session_->AnswerMsgBox(ok, MsgBoxResult::kYes));
  EXPECT_FALSE(session_->AnswerMsgBox(ok, MsgBoxResult::kNo));
  EXPECT_TRUE(session_->AnswerMsgBox(ok, MsgBoxResult::kOk));
  WaitFor([](const json& s) { return s["msgbox"].is_null() && Caption(s["doc"], "lblAnswer") == "ok"; });
}

// While the page is busy, at most eight requests wait for it (the busy one among them);
// the rest are told at once that it is busy.
TEST_F(SessionTest, AtMostEightRequestsWaitAndTheRestAreToldBusy) {
  Started();
  testing::letGo = false;
  std::thread hold([&] { EXPECT_EQ(Click("cmdHold"), EventOutcome::kDone); });
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (!testing::holding && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
  if (!testing::holding) {
    testing::letGo = true;
    hold.join();
    FAIL() << "the page never took the click";
  }
  std::atomic<int> busy{0};
  std::vector<std::thread> more;
  for (int i = 0; i < 9; ++i)
    more.emplace_back([&] { busy += Click("cmdHello", "frmNone") == EventOutcome::kBusy; });
  while (busy < 2 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(busy, 2);
  testing::letGo = true;
  hold.join();
  for (auto& t : more) t.join();
}

// A reader waiting for the next state is woken by the change, not by its timeout.
TEST_F(SessionTest, AWaitForTheNextStateEndsWithTheChange) {
  Started();
  const auto seen = session_->Current().version;
  std::thread click([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Click("cmdHello");
  });
  const auto start = std::chrono::steady_clock::now();
  const auto next = session_->WaitForChange(seen, 30s);
  EXPECT_NE(next.version, seen);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  click.join();
}

// Long work that calls DoEvents shows the page as it goes: the work's own changes and
// the clock's ticks reach the browser, and reads of the page are answered, before the
// work ends. A timer the work starts ticks during it.
TEST_F(SessionTest, LongWorkIsShownWhileItRuns) {
  Started();
  std::thread work([&] { EXPECT_EQ(Click("cmdWork"), EventOutcome::kDone); });
  auto j = WaitFor([](const json& s) { return Caption(s["doc"], "lblAnswer") == "working"; });
  const std::string clock = Caption(j["doc"], "lblClock");
  // A read of the page is answered during the work too.
  auto seen = std::make_shared<std::string>();
  EXPECT_EQ(session_->Inspect(page_, [seen](Document& d) { *seen = d.Controls()["lblAnswer"].caption; }),
            EventOutcome::kDone);
  EXPECT_EQ(*seen, "working");
  WaitFor([&](const json& s) {
    return Caption(s["doc"], "lblAnswer") == "working" && Caption(s["doc"], "lblClock") != clock;
  });
  work.join();
  WaitFor([](const json& s) { return Caption(s["doc"], "lblAnswer") == "done"; });
}

// A read of the page runs on the UI thread, also while a handler waits in a message box,
// and only for the page load it names.
TEST_F(SessionTest, InspectReadsTheShownPageEvenUnderAMessageBox) {
  Started();
  const auto caption = [&](int page) {
    auto seen = std::make_shared<std::string>();
    const auto outcome = session_->Inspect(page, [seen](Document& d) { *seen = d.Controls()["lblTitle"].caption; });
    return std::pair{outcome, *seen};
  };
  EXPECT_EQ(caption(page_), std::pair(EventOutcome::kDone, std::string("開始 http://plant:8080/docMain.vbd")));
  ASSERT_EQ(Click("cmdAsk"), EventOutcome::kDone);
  auto j = WaitFor([](const json& s) { return !s["msgbox"].is_null(); });
  EXPECT_EQ(caption(page_).first, EventOutcome::kDone);
  EXPECT_EQ(caption(page_ + 1).first, EventOutcome::kStale);
  EXPECT_EQ(session_->Inspect(page_, [](Document&) { throw std::runtime_error("bad read"); }),
            EventOutcome::kDone) << "a failing read leaves the session running";
  EXPECT_TRUE(session_->AnswerMsgBox(j["msgbox"]["id"].get<std::uint64_t>(), MsgBoxResult::kYes));
  WaitFor([](const json& s) { return Caption(s["doc"], "lblAnswer") == "yes"; });
}

TEST_F(SessionTest, SaveDialogWritesIntoTheSessionFolderAndOffersADownload) {
  Started();
  ASSERT_EQ(Click("cmdSave"), EventOutcome::kDone);
  auto j = WaitFor([](const json& s) { return !s["save"].is_null(); });
  const auto id = j["save"]["id"].get<std::uint64_t>();
  EXPECT_EQ(j["save"]["fileName"], "03040103.csv");
  EXPECT_EQ(j["save"]["choices"], json::array());
  EXPECT_FALSE(session_->AnswerSave(id, std::string("report"), 1)) << "a dialog without options";
  for (const char* bad : {"../escape.csv", "/etc/passwd", "", "..", "a\\b.csv", ".hidden"})
    EXPECT_FALSE(session_->AnswerSave(id, std::string(bad))) << bad;
  EXPECT_TRUE(session_->AnswerSave(id, std::string("report")));
  j = WaitFor([](const json& s) { return !s["download"].is_null(); });
  EXPECT_EQ(j["download"]["name"], "report.csv");
  std::string name;
  auto path = session_->Download(j["download"]["n"].get<int>(), &name);
  ASSERT_TRUE(path);
  EXPECT_EQ(path->parent_path(), downloads_);
  std::ifstream in(*path, std::ios::binary);
  std::stringstream body;
  body << in.rdbuf();
  EXPECT_EQ(body.str(), "\"a\",\"b\",\r\n");
  EXPECT_FALSE(session_->Download(99, &name));
  EXPECT_FALSE(session_->AnswerSave(id, std::string("again"))) << "answered already";
}

TEST_F(SessionTest, CancelledSaveWritesNothing) {
  Started();
  ASSERT_EQ(Click("cmdSave"), EventOutcome::kDone);
  auto j = WaitFor([](const json& s) { return !s["save"].is_null(); });
  EXPECT_TRUE(session_->AnswerSave(j["save"]["id"].get<std::uint64_t>(), std::nullopt));
  j = WaitFor([](const json& s) { return s["save"].is_null(); });
  EXPECT_TRUE(j["download"].is_null());
  EXPECT_TRUE(std::filesystem::is_empty(downloads_));
}

TEST_F(SessionTest, NavigationKeepsTheSharedStateAndOldPageEventsAreStale) {
  Started();
  ASSERT_EQ(Click("cmdGo"), EventOutcome::kDone);
  auto j = json::parse(session_->Current().json);
  EXPECT_EQ(j["nav"]["url"], "/docGrid.vbd");
  const int grid = session_->LoadPage("docGrid", "http://plant:8080/docGrid.vbd");
  j = WaitFor([&](const json& s) { return s["page"] == grid && !s["doc"].is_null(); });
  EXPECT_EQ(Caption(j["doc"], "lblTitle"), "第二 \\\\plant\\vurodor");
  EXPECT_TRUE(j["nav"].is_null());
  EXPECT_EQ(Click("cmdHello"), EventOutcome::kStale);
  EXPECT_EQ(session_->PostEvent(grid, "docGrid", {UiEvent::Kind::kClick, "cmdEnd"}), EventOutcome::kDone);
  EXPECT_EQ(json::parse(session_->Current().json)["back"], 1);
}

// A page that fails to load shows nothing: the page before it is gone, and what is sent
// to the new load is stale, never taken by the old page.
TEST(SessionLoadTest, APageThatFailsToLoadReplacesTheOldOneWithNothing) {
  SessionConfig c;
  c.makePage = [](std::string_view name, ClientState& s, Host& h) -> std::unique_ptr<Document> {
    if (name == "docBad") throw std::runtime_error("no layout");
    return testing::MakeTestPage(name, s, h);
  };
  c.downloadDir = TempDir("failed-load");
  Session session(std::move(c));
  const int main = session.LoadPage("docMain", "http://plant:8080/docMain.vbd");
  auto snap = session.Current();
  for (int i = 0; i < 25 && json::parse(snap.json)["doc"].is_null(); ++i) snap = session.WaitForChange(snap.version, 200ms);
  ASSERT_FALSE(json::parse(snap.json)["doc"].is_null());
  const int bad = session.LoadPage("docBad", "http://plant:8080/docBad.vbd");
  for (int i = 0; i < 25 && json::parse(snap.json)["page"] != bad; ++i) snap = session.WaitForChange(snap.version, 200ms);
  const json j = json::parse(snap.json);
  EXPECT_EQ(j["page"], bad);
  EXPECT_TRUE(j["doc"].is_null()) << j["doc"].dump();
  EXPECT_EQ(session.PostEvent(bad, "docMain", {UiEvent::Kind::kClick, "cmdBusy"}), EventOutcome::kStale);
  EXPECT_EQ(session.PostEvent(main, "docMain", {UiEvent::Kind::kClick, "cmdBusy"}), EventOutcome::kStale);
}

// The person may have typed into the dialog before reloading: each load queued counts,
// whatever events came before it.
TEST_F(SessionTest, ReloadUnderADialogCancelsItAndStartsThePageAgain) {
  Started();
  ASSERT_EQ(Click("lblValue"), EventOutcome::kDone);
  WaitFor([](const json& s) { return s["dialogs"].size() == 1; });
  for (const char* typed : {"4", "42"})
    EXPECT_EQ(session_->PostEvent(page_, "frmTest", {UiEvent::Kind::kTextChange, "txtNowData", 0, typed}),
              EventOutcome::kDone);
  const int again = session_->LoadPage("docMain", "http://plant:8080/docMain.vbd");
  auto j = WaitFor([&](const json& s) {
    return s["page"] == again && !s["doc"].is_null() && Caption(s["doc"], "lblTitle").starts_with("開始");
  });
  EXPECT_TRUE(j["dialogs"].empty());
  EXPECT_EQ(Caption(j["doc"], "lblValue"), "3");
}

TEST_F(SessionTest, StopsWhileADialogIsOpen) {
  Started();
  ASSERT_EQ(Click("cmdHello"), EventOutcome::kDone);
  WaitFor([](const json& s) { return !s["msgbox"].is_null(); });
  auto start = std::chrono::steady_clock::now();
  session_.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_FALSE(std::filesystem::exists(downloads_));
}

TEST(SessionRegistryTest, LimitsSessionsAndEndsIdleOnes) {
  SessionRegistry registry(2, 100ms, [](const std::string&) {
    SessionConfig c;
    c.makePage = testing::MakeTestPage;
    return c;
  });
  auto a = registry.Create();
  auto b = registry.Create();
  ASSERT_TRUE(a && b);
  EXPECT_NE(a->first, b->first);
  EXPECT_FALSE(registry.Create()) << "limit reached, none idle";
  EXPECT_EQ(registry.Find(a->first), a->second);
  EXPECT_EQ(registry.Find("not-an-id"), nullptr);
  EXPECT_EQ(registry.EndIdle(b->second->LastActive() + 100ms), 0u) << "idle for just the limit";
  std::this_thread::sleep_for(150ms);
  ASSERT_TRUE(registry.Find(a->first));  // touched: a stays, b is idle
  EXPECT_EQ(registry.EndIdle(std::chrono::steady_clock::now()), 1u);
  EXPECT_TRUE(b->second->Stopped());
  EXPECT_EQ(registry.Find(b->first), nullptr);
  EXPECT_TRUE(registry.Create()) << "room again";
}

TEST(SessionRegistryTest, AFullTableGivesUpSessionsNoBrowserShowed) {
  SessionRegistry registry(
      2, std::chrono::hours(1),
      [](const std::string&) {
        SessionConfig c;
        c.makePage = testing::MakeTestPage;
        return c;
      },
      50ms);
  auto shown = registry.Create();
  auto scripted = registry.Create();
  ASSERT_TRUE(shown && scripted);
  ASSERT_EQ(shown->second->AcquireStream(4), 1);
  EXPECT_FALSE(registry.Create()) << "nothing unused long enough yet";
  std::this_thread::sleep_for(80ms);
  EXPECT_TRUE(registry.Create());
  EXPECT_TRUE(scripted->second->Stopped());
  EXPECT_FALSE(shown->second->Stopped()) << "a page in a browser stays";
}

TEST(SafeFileNameTest, KeepsPlainNamesOnly) {
  struct {
    const char* in;
    std::optional<std::string> out;
  } cases[] = {
      {"03040103.csv", "03040103.csv"}, {" report ", "report.csv"}, {"日報.csv", "日報.csv"},
      {"a.b", "a.b"},                   {"../x.csv", std::nullopt}, {"x/y", std::nullopt},
      {"C:x", std::nullopt},           {".", std::nullopt},        {"a\nb", std::nullopt},
      {"月報 2026.csv", "月報 2026.csv"},  // a space inside the name is kept
  };
  for (const auto& c : cases) EXPECT_EQ(SafeFileName(c.in, "csv"), c.out) << c.in;
  // Names of up to 200 bytes.
  const std::string longest = std::string(196, 'n') + ".csv";
  EXPECT_EQ(SafeFileName(longest, "csv"), longest);
  EXPECT_EQ(SafeFileName("n" + longest, "csv"), std::nullopt);
  // Every character that a Windows file name cannot hold, or that would leave the folder.
  for (const char bad : std::string_view("\x01\x1f\x7f/\\:*?\"<>|", 12))
    EXPECT_EQ(SafeFileName(std::string("a") + bad + "b.csv", "csv"), std::nullopt) << int{bad};
}

TEST(NavigationPathTest, KeepsOnlyThePath) {
  EXPECT_EQ(NavigationPath("http://plant:8080/docGrid.vbd"), "/docGrid.vbd");
  EXPECT_EQ(NavigationPath("HTTP://plant/docGrid.bin"), "/docGrid.bin");
  EXPECT_EQ(NavigationPath("docGrid.vbd"), "/docGrid.vbd");
  EXPECT_EQ(NavigationPath("//evil.example/x"), "/evil.example/x");
  EXPECT_EQ(NavigationPath("http://plant"), "/");
}

}  // namespace
}  // namespace tb::web
