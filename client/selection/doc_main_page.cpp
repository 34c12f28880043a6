#include "client/selection/doc_main.h"

#include <functional>
#include <map>

#include "client/selection/doc_main_controls.h"

namespace tb {
namespace {

// Marks the page busy for the length of one handler, so that clicks arriving while a
// modal dialog is open or while a range print lets the message loop run are refused.
class BusyScope {
 public:
  explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyScope() { flag_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

DocMain::DocMain(ClientState& state, Host& host) : s_(state), host_(host) {
  AddDocMainControls(controls_);
  // The frame shows this page now: no grid page is loaded, so the ten-key dialog's "・"
  // must not follow the column of a grid page left earlier.
  s_.gGridCurrentCol = -1;
}

void DocMain::Initialize() { Ctl("Timer1").interval = 100; }

bool DocMain::DisplayMode() const { return controls_.Find("optSyuusei")->value; }

const std::string& DocMain::Caption(std::string_view id) const {
  const Control* c = controls_.Find(id);
  if (!c) throw std::out_of_range("no control " + std::string(id));
  return c->caption;
}

void DocMain::SetRowVisible(int row, bool visible) {
  for (int i = 0; i < 4; ++i) SetVisible(DateCaptionArray(row) + "_" + std::to_string(i), visible);
  SetVisible(DateLabelId({row, DateField::kMonth}), visible);
  SetVisible(DateLabelId({row, DateField::kDay}), visible);
}

bool DocMain::Handle(const UiEvent& e) {
  switch (e.kind) {
    case UiEvent::Kind::kTimer: return HandleTimer(e.control);
    case UiEvent::Kind::kClick: return HandleClick(e.control);
    default: return false;
  }
}

bool DocMain::HandleTimer(const std::string& id) {
  const Control* timer = controls_.Find(id);
  if (!timer || timer->kind != ControlKind::kTimer || timer->interval <= 0) return false;
  if (id == "timDate") {
    timDate_Timer();
    return true;
  }
  if (busy_) return false;  // a start-up tick while the start-up's message box is open
  BusyScope busy(busy_);
  Timer1_Timer();
  return true;
}

// A control takes a click when it and every frame around it are visible and enabled.
bool DocMain::Clickable(const Control& c) const {
  for (const Control* at = &c; at; at = at->container.empty() ? nullptr : controls_.Find(at->container))
    if (!at->visible || !at->enabled) return false;
  return true;
}

bool DocMain::HandleClick(const std::string& id) {
  if (!startedUp_ || busy_) return false;
  Control* c = controls_.Find(id);
  if (!c || !Clickable(*c)) return false;
  static const std::map<std::string, void (DocMain::*)(), std::less<>> kHandlers{
      {"optNippou", &DocMain::optNippou_Click},   {"optGeppou", &DocMain::optGeppou_Click},
      {"optNenpou", &DocMain::optNenpou_Click},   {"optSyuusei", &DocMain::optSyuusei_Click},
      {"optPrint", &DocMain::optPrint_Click},     {"cmdJikkou", &DocMain::cmdJikkou_Click},
      {"cmdJiPage", &DocMain::cmdJiPage_Click},   {"cmdZenPage", &DocMain::cmdZenPage_Click},
  };
  BusyScope busy(busy_);
  if (auto it = kHandlers.find(id); it != kHandlers.end()) {
    (this->*(it->second))();
    return true;
  }
  if (auto label = ParseDateLabelId(id)) {
    DateLabel_Click(*label);
    return true;
  }
  return false;
}

}  // namespace tb
