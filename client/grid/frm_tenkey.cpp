#include "client/grid/frm_tenkey.h"

#include "client/core/formatting.h"
#include "client/core/messages.h"
#include "client/grid/frm_tenkey_controls.h"

namespace tb {
namespace {

constexpr int kKeyPoint = 10;
constexpr int kKeyMinus = 11;
constexpr int kEnter = 13;
constexpr int kTimeDisplayType = 6;

}  // namespace

FrmTenkey::FrmTenkey(ClientState& state, Host& host) : s_(state), host_(host) {
  AddTenkeyControls(controls_);
  controls_["txtNowData"].caption = s_.gTenkeyValue;
  controls_["lblMaxData"].caption = s_.gTenkeyMax;
  controls_["lblMinData"].caption = s_.gTenkeyMin;
  focus_ = "txtNowData";
}

const std::string& FrmTenkey::Entry() const { return controls_.Find("txtNowData")->caption; }

void FrmTenkey::SetEntry(const std::string& text) { controls_["txtNowData"].caption = text; }

bool FrmTenkey::Handle(const UiEvent& e) {
  if (closed_) return false;
  switch (e.kind) {
    case UiEvent::Kind::kClick: return HandleClick(e.control);
    case UiEvent::Kind::kKeyPress:
      // Key preview: the dialog sees every key first; only Enter has a meaning of its own.
      if (e.keyAscii != kEnter) return false;
      Form_KeyPress(e.keyAscii);
      return true;
    case UiEvent::Kind::kTextChange:
      if (e.control != "txtNowData") return false;
      txtNowData_Change(e.text);
      return true;
    case UiEvent::Kind::kClose:
      cmdCancel_Click();
      return true;
    default: return false;
  }
}

bool FrmTenkey::HandleClick(const std::string& id) {
  const Control* c = controls_.Find(id);
  if (!c || !c->visible || !c->enabled) return false;
  if (c->name == "cmdTenKey") cmdTenKey_Click(c->index);
  else if (id == "cmdClr") cmdClr_Click();
  else if (id == "cmdCancel") cmdCancel_Click();
  else if (id == "cmdKakutei") cmdKakutei_Click();
  else return false;
  return true;
}

// One key's text: replaces the entry when fresh, else appends; then typing.
void FrmTenkey::subClickInput(std::string_view s) {
  if (s_.gTenkeyTyping == 0) SetEntry(std::string(s));
  else SetEntry(Entry() + std::string(s));
  s_.gTenkeyTyping = 1;
}

// The grid page's current column shows durations (display type 6). No grid page loaded
// (column -1, e.g. opened from the selection page): a plain number.
bool FrmTenkey::TimeColumn() const {
  const int col = s_.gGridCurrentCol;
  return col >= 0 && col < static_cast<int>(s_.gColDisplayType.size()) &&
         s_.gColDisplayType[static_cast<std::size_t>(col)] == kTimeDisplayType;
}

void FrmTenkey::cmdTenKey_Click(int index) {
  if (index >= 0 && index <= 9) subClickInput(std::to_string(index));
  else if (index == kKeyMinus) subClickInput("-");
  else if (index == kKeyPoint) {
    const bool typing = s_.gTenkeyTyping != 0;
    if (TimeColumn()) subClickInput(typing ? ":" : "0:");
    else subClickInput(typing ? "." : "0.");
  }
  focus_ = "txtNowData";
}

void FrmTenkey::cmdClr_Click() {
  s_.gTenkeyTyping = 0;
  SetEntry("");
  focus_ = "txtNowData";
}

void FrmTenkey::cmdCancel_Click() {
  SetEntry(s_.gTenkeyOld);
  s_.gTenkeyResult = s_.gTenkeyOld;
  s_.gTenkeyOk = 0;
  closed_ = true;
}

// Accepts a number within the bounds (both included) as its shortest text ("007" -> "7").
void FrmTenkey::cmdKakutei_Click() {
  const auto value = ParseDouble(Entry());
  const auto upper = ParseDouble(controls_["lblMaxData"].caption);
  const auto lower = ParseDouble(controls_["lblMinData"].caption);
  if (!value || !upper || !lower) return Reject(msg::kEnterValidData);
  if (*value < *lower || *value > *upper) return Reject(msg::kEnterDataInRange);
  const std::string text = ShortestNumberText(*value);
  SetEntry(text);
  s_.gTenkeyResult = text;
  s_.gTenkeyOk = 1;
  closed_ = true;
}

// The message, then the old value back and a fresh entry; the dialog stays open.
void FrmTenkey::Reject(std::string_view message) {
  host_.MsgBox(message, MsgBoxButtons::kOk, msg::kCaptionConfirm);
  SetEntry(s_.gTenkeyOld);
  s_.gTenkeyResult = s_.gTenkeyOld;
  focus_ = "txtNowData";
  s_.gTenkeyTyping = 0;
}

// Enter anywhere confirms; inside txtNowData the key itself is then discarded.
void FrmTenkey::Form_KeyPress(int keyAscii) {
  if (keyAscii == kEnter) cmdKakutei_Click();
}

void FrmTenkey::txtNowData_Change(const std::string& text) { SetEntry(text); }

}  // namespace tb
