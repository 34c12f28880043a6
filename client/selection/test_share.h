// Test support for the selection page: a temporary share and client folder (Vurodor.ini,
// TBWeb.ini, an SQLite Vurodor.mdb with the three report layout tables), a ClientState
// pointing at them, a scripted host at a fixed time, and helpers that play a user's
// session (start the page, click, enter a number through the ten-key dialog).
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/core/client_state.h"
#include "client/core/scripted_host.h"
#include "client/selection/doc_main.h"
#include "platform/profile.h"

namespace tb::testing {

namespace fs = std::filesystem;

inline LocalTime At(int y, unsigned m, unsigned d, int h = 0, int n = 0, int s = 0) {
  using namespace std::chrono;
  return local_days{year{y} / month{m} / day{d}} + hours{h} + minutes{n} + seconds{s};
}

// A temporary folder removed at the end of the test.
class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = fs::temp_directory_path() / ("tbsel-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  [[nodiscard]] const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

inline void Sql(const fs::path& db, const std::string& text) {
  sqlite3* h = nullptr;
  ASSERT_EQ(sqlite3_open(db.c_str(), &h), SQLITE_OK);
  char* err = nullptr;
  const int rc = sqlite3_exec(h, text.c_str(), nullptr, nullptr, &err);
  const std::string message = err ? err : "";
  sqlite3_free(err);
  sqlite3_close(h);
  ASSERT_EQ(rc, SQLITE_OK) << message;
}

// A share with the settings and the layout tables (pages: daily 3, monthly 2, yearly
// none, so its MAXP is Null).
class TestShare {
 public:
  TestShare() {
    fs::create_directories(Share() / "TB_DataBase");
    fs::create_directories(ClientDir());
    SetVurodor("Title", "Name", "第一工場 運転日報");
    SetVurodor("Print", "Size", "A3");
    SetVurodor("Nippou", "Hour", "1");
    SetVurodor("Geppou", "Day", "1");
    SetVurodor("Nenpou", "Month", "4");
    SetVurodor("Mode", "Year", "1");
    SetVurodor("Inkan", "Kosuu", "4");
    SetVurodor("Tenki", "Flg", "0");
    SetVurodor("Inkan", "Flg", "0");
    Sql(LayoutDb(),
        "CREATE TABLE 日報情報 (TAG_ID INTEGER, ページNO INTEGER, 項目NO INTEGER);"
        "CREATE TABLE 月報情報 (TAG_ID INTEGER, ページNO INTEGER, 項目NO INTEGER);"
        "CREATE TABLE 年報情報 (TAG_ID INTEGER, ページNO INTEGER, 項目NO INTEGER);"
        "INSERT INTO 日報情報 VALUES (1,1,1),(2,2,1),(3,3,1);"
        "INSERT INTO 月報情報 VALUES (1,1,1),(2,2,1);");
  }
  [[nodiscard]] fs::path Share() const { return dir_.Path() / "share"; }
  [[nodiscard]] fs::path ClientDir() const { return dir_.Path() / "client"; }
  [[nodiscard]] fs::path LayoutDb() const { return Share() / "TB_DataBase" / "Vurodor.mdb"; }
  void SetVurodor(const char* section, const char* key, const char* value) {
    ASSERT_TRUE(platform::WriteProfileStringUtf8(Share() / "Vurodor.ini", section, key, value));
  }
  void SetTbWeb(const char* section, const char* key, const char* value) {
    ASSERT_TRUE(platform::WriteProfileStringUtf8(ClientDir() / "TBWeb.ini", section, key, value));
  }
  void Configure(ClientState& s) const {
    s.env.shareRoot = Share();
    s.env.clientDir = ClientDir();
    s.env.jetCacheDir = dir_.Path() / "cache";
  }

 private:
  TempDir dir_;
};

// The ten-key script: clicks these controls of the dialog in order (e.g. "cmdTenKey_3",
// "cmdKakutei"). Records the bounds the dialog showed.
struct TenkeyScript {
  std::vector<std::string> clicks;
  std::string shownMax, shownMin, shownEntry;
};

// A selection page on a test share with the clock at 2026-12-07 03:05:09.
class SelectionPage : public ::testing::Test {
 protected:
  void SetUp() override {
    share.Configure(state);
    host.now = At(2026, 12, 7, 3, 5, 9);
  }
  // Page initialised, then the start-up tick.
  DocMain& Start() {
    page = std::make_unique<DocMain>(state, host);
    page->Initialize();
    page->Handle({UiEvent::Kind::kTimer, "Timer1"});
    return *page;
  }
  bool Click(const std::string& id) { return page->Handle({UiEvent::Kind::kClick, id}); }
  Control& Ctl(const std::string& id) { return page->Controls()[id]; }
  const std::string& Cap(const std::string& id) { return Ctl(id).caption; }
  // Clicks a date label and answers the ten-key dialog with `digits` and 確 定 (or 取 消
  // when `cancel`). Returns what the dialog showed.
  TenkeyScript Enter(const std::string& label, const std::string& digits, bool cancel = false) {
    TenkeyScript script;
    for (char c : digits) script.clicks.push_back(std::string("cmdTenKey_") + c);
    script.clicks.push_back(cancel ? "cmdCancel" : "cmdKakutei");
    host.onModal = [&script, this, label](Document& dialog) {
      auto& c = dialog.Controls();
      script.shownMax = c["lblMaxData"].caption;
      script.shownMin = c["lblMinData"].caption;
      script.shownEntry = c["txtNowData"].caption;
      EXPECT_EQ(Ctl(label).backColour, kYellow);
      for (const auto& id : script.clicks) dialog.Handle({UiEvent::Kind::kClick, id});
    };
    EXPECT_TRUE(Click(label));
    host.onModal = nullptr;
    return script;
  }

  TestShare share;
  ClientState state;
  ScriptedHost host;
  std::unique_ptr<DocMain> page;
};

}  // namespace tb::testing
