// Small page models that exercise every service of the web host (start-up timer, clock,
// message boxes, a modal dialog with an entry field, the save dialog, navigation and
// going back, the pointer and status text, disabled and hidden controls) without the
// report pages. Used by the host's unit tests and by the fixture server of the browser
// tests; not part of tbclient.
#pragma once

#include <atomic>
#include <fstream>
#include <string>
#include <thread>

#include "client/core/client_state.h"
#include "client/core/host.h"

namespace tb::web::testing {

// "cmdHold" keeps the page's UI thread in its handler until a test lets it go (at most
// 5 s), so that events pile up behind it.
inline std::atomic<bool> holding{false}, letGo{false};

inline Control MakeControl(std::string name, ControlKind kind, std::string caption, int l, int t,
                           int w, int h, std::string container = {}) {
  Control c;
  c.name = std::move(name);
  c.kind = kind;
  c.caption = std::move(caption);
  c.left = l;
  c.top = t;
  c.width = w;
  c.height = h;
  c.container = std::move(container);
  return c;
}

// A modal entry dialog: txtNowData, OK (also Enter), cancel (also the close box).
class TestDialog : public Document {
 public:
  explicit TestDialog(std::string value) : old_(value) {
    controls_.Add(MakeControl("txtNowData", ControlKind::kTextBox, value, 240, 240, 2400, 360));
    controls_.Add(MakeControl("cmdOK", ControlKind::kButton, "確 定", 240, 840, 1100, 420));
    controls_.Add(MakeControl("cmdCancel", ControlKind::kButton, "取 消", 1540, 840, 1100, 420));
  }
  std::string_view Name() const override { return "frmTest"; }
  std::string_view Caption() const override { return "テスト入力"; }
  int Width() const override { return 2900; }
  int Height() const override { return 1500; }
  bool Handle(const UiEvent& e) override {
    using K = UiEvent::Kind;
    if (e.kind == K::kTextChange && e.control == "txtNowData") {
      controls_["txtNowData"].caption = e.text;
      return true;
    }
    if ((e.kind == K::kClick && e.control == "cmdOK") || (e.kind == K::kKeyPress && e.keyAscii == 13)) {
      result = controls_["txtNowData"].caption;
      ok = true;
      closed_ = true;
      return true;
    }
    if ((e.kind == K::kClick && e.control == "cmdCancel") || e.kind == K::kClose) {
      result = old_;
      closed_ = true;
      return true;
    }
    return false;
  }
  bool Closed() const override { return closed_; }

  std::string result;
  bool ok = false;

 private:
  std::string old_;
  bool closed_ = false;
};

// The page "docMain" of the fixture.
class TestMain : public Document {
 public:
  TestMain(ClientState& s, Host& host) : s_(s), host_(host) {
    auto timer = [](std::string name, int interval) {
      Control c;
      c.name = std::move(name);
      c.kind = ControlKind::kTimer;
      c.interval = interval;
      return c;
    };
    controls_.Add(timer("Timer1", 100));  // start-up, once
    controls_.Add(timer("timDate", 1000));
    controls_.Add(timer("timWork", 0));  // started by the long work
    auto& title = controls_.Add(MakeControl("lblTitle", ControlKind::kLabel, "", 600, 200, 6000, 495));
    title.backColour = Rgb(192, 255, 255);
    title.foreColour = Rgb(0, 0, 128);
    title.font = FontSpec{"ＭＳ Ｐゴシック", 21.75, false};
    controls_.Add(MakeControl("lblClock", ControlKind::kLabel, "0", 600, 800, 2000, 300));
    controls_.Add(MakeControl("fraBox", ControlKind::kFrame, "", 600, 1300, 6000, 1500));
    auto& value = controls_.Add(MakeControl("lblValue", ControlKind::kLabel, "3", 300, 300, 800, 495, "fraBox"));
    value.toolTip = "値を設定します。";
    value.backColour = kWhite;
    controls_.Add(MakeControl("cmdHello", ControlKind::kButton, "挨拶(&H)", 600, 3000, 1335, 495));
    controls_.Add(MakeControl("cmdAsk", ControlKind::kButton, "質問", 2100, 3000, 1335, 495));
    controls_.Add(MakeControl("cmdSave", ControlKind::kButton, "出力(&O)", 3600, 3000, 1335, 495));
    controls_.Add(MakeControl("cmdGo", ControlKind::kButton, "実行(&J)", 5100, 3000, 1335, 495));
    controls_.Add(MakeControl("cmdBusy", ControlKind::kButton, "待つ", 600, 3700, 1335, 495));
    controls_.Add(MakeControl("cmdWork", ControlKind::kButton, "作業", 5100, 4400, 1335, 495));
    controls_.Add(MakeControl("cmdHold", ControlKind::kButton, "保持", 5100, 5000, 1335, 495));
    controls_.Add(MakeControl("lblAnswer", ControlKind::kLabel, "", 2100, 3700, 2000, 300));
    controls_.Add(MakeControl("cmdOff", ControlKind::kButton, "無効", 4200, 3700, 1000, 495)).enabled = false;
    controls_.Add(MakeControl("lblHidden", ControlKind::kLabel, "隠れ", 5300, 3700, 1000, 300)).visible = false;
    controls_.Add(MakeControl("fraOff", ControlKind::kFrame, "", 600, 4400, 3000, 900)).enabled = false;
    controls_.Add(MakeControl("cmdInside", ControlKind::kButton, "中", 200, 200, 900, 400, "fraOff"));
  }
  std::string_view Name() const override { return "docMain"; }
  int Width() const override { return 7500; }
  int Height() const override { return 5600; }

  bool Handle(const UiEvent& e) override {
    using K = UiEvent::Kind;
    const auto* c = controls_.Find(e.control);
    if (c == nullptr || !c->enabled || !c->visible) return false;
    if (e.kind == K::kTimer && e.control == "Timer1") {
      controls_["lblTitle"].caption = "開始 " + host_.LocationUrl();
      SetLocation(host_.LocationUrl());
      controls_["Timer1"].interval = 0;
      ++startUps;
      return true;
    }
    if (e.kind == K::kTimer && e.control == "timDate") {
      controls_["lblClock"].caption = std::to_string(++ticks);
      return true;
    }
    if (e.kind == K::kTimer && e.control == "timWork") {
      ++workTicks;
      return true;
    }
    if (e.kind != K::kClick) return false;
    if (e.control == "lblValue") return EnterValue();
    if (e.control == "cmdHello") {
      host_.MsgBox("こんにちは", MsgBoxButtons::kOk, "確認");
      controls_["lblAnswer"].caption = "ok";
      return true;
    }
    if (e.control == "cmdAsk") {
      auto r = host_.MsgBox("続けますか？", MsgBoxButtons::kYesNo, "確認", MsgBoxIcon::kExclamation);
      controls_["lblAnswer"].caption = r == MsgBoxResult::kYes ? "yes" : "no";
      return true;
    }
    if (e.control == "cmdSave") return Save();
    if (e.control == "cmdGo") {
      host_.Navigate(s_.gBaseUrl + "docGrid.vbd");
      return true;
    }
    if (e.control == "cmdWork") {
      // Long work that keeps the page alive: it runs until the clock has ticked twice,
      // and a timer it starts itself must tick meanwhile too.
      controls_["lblAnswer"].caption = "working";
      controls_["timWork"].interval = 50;
      workTicks = 0;
      const int until = ticks + 2;
      const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      while ((ticks < until || workTicks == 0) && std::chrono::steady_clock::now() < limit) {
        host_.DoEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      controls_["timWork"].interval = 0;
      controls_["lblAnswer"].caption = workTicks > 0 ? "done" : "done, its timer never ticked";
      return true;
    }
    if (e.control == "cmdHold") {
      holding = true;
      const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      while (!letGo && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      holding = false;
      return true;
    }
    if (e.control == "cmdBusy") {
      host_.SetMousePointer(MousePointer::kHourglass);
      host_.SetStatusText("処理中・・・");
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      host_.SetStatusText("");
      host_.SetMousePointer(MousePointer::kDefault);
      return true;
    }
    return c->kind == ControlKind::kButton;
  }

  int startUps = 0;
  int ticks = 0;
  int workTicks = 0;

 private:
  // "http://host:port/docMain.vbd" gives the base "http://host:port/" and "\\host\vurodor".
  void SetLocation(const std::string& url) {
    auto hostStart = url.find("//") + 2;
    auto pathStart = url.find('/', hostStart);
    s_.gBaseUrl = url.substr(0, pathStart + 1);
    auto host = url.substr(hostStart, pathStart - hostStart);
    s_.gServerFolder = "\\\\" + host.substr(0, host.find(':')) + "\\vurodor";
  }
  bool EnterValue() {
    auto& label = controls_["lblValue"];
    label.backColour = kYellow;
    TestDialog dialog(label.caption);
    host_.ShowModal(dialog);
    label.caption = dialog.result;
    label.backColour = kWhite;
    return true;
  }
  bool Save() {
    auto path = host_.ShowSaveDialog({"CSVファイル出力", "*.csv", "csv", "03040103.csv"});
    if (!path) return true;
    std::ofstream out(*path, std::ios::binary | std::ios::trunc);
    out << "\"a\",\"b\",\r\n";
    return true;
  }

  ClientState& s_;
  Host& host_;
};

// The page "docGrid" of the fixture: shows what the first page left in the shared state
// and goes back.
class TestSecond : public Document {
 public:
  TestSecond(ClientState& s, Host& host) : host_(host) {
    controls_.Add(MakeControl("lblTitle", ControlKind::kLabel, "第二 " + s.gServerFolder, 600, 200, 6000, 495));
    controls_.Add(MakeControl("cmdEnd", ControlKind::kButton, "終了(&E)", 600, 1000, 1335, 495)).toolTip =
        "画面を閉じます。";
  }
  std::string_view Name() const override { return "docGrid"; }
  int Width() const override { return 7500; }
  int Height() const override { return 3000; }
  bool Handle(const UiEvent& e) override {
    if (e.kind == UiEvent::Kind::kClick && e.control == "cmdEnd") {
      host_.GoBack();
      return true;
    }
    return false;
  }

 private:
  Host& host_;
};

inline std::unique_ptr<Document> MakeTestPage(std::string_view name, ClientState& s, Host& h) {
  if (name == "docMain") return std::make_unique<TestMain>(s, h);
  if (name == "docGrid") return std::make_unique<TestSecond>(s, h);
  return nullptr;
}

}  // namespace tb::web::testing
