// frmTenkey, the ten-key dialog: a modal number pad for one number between a lower and an
// upper bound. It reads its opening value and bounds from the shared state (gTenkeyValue,
// gTenkeyMax, gTenkeyMin, gTenkeyOld; ShowTenkey sets them) and hands back gTenkeyResult
// and gTenkeyOk when it closes through 確 定 or 取 消. Closing by the window's close box
// counts as 取 消.
//
// Entry state gTenkeyTyping: 0 (fresh) = the next pad key replaces the entry, 1 (typing)
// = pad keys append. Fresh after opening, CLR and a rejected entry; typing after any pad
// key. Typing on the keyboard into txtNowData edits the entry and leaves the state.
// Not thread-safe: the UI thread of its page owns it.
#pragma once

#include <string>
#include <string_view>

#include "client/core/client_state.h"
#include "client/core/controls.h"
#include "client/core/host.h"

namespace tb {

class FrmTenkey : public Document {
 public:
  static constexpr int kWidth = 3720;
  static constexpr int kHeight = 4320;

  // Both must outlive the dialog. Opens it: txtNowData, lblMaxData and lblMinData from
  // the hand-over state, the focus on txtNowData.
  FrmTenkey(ClientState& state, Host& host);

  [[nodiscard]] std::string_view Name() const override { return "frmTenkey"; }
  [[nodiscard]] std::string_view Caption() const override { return "テンキーパッド"; }
  [[nodiscard]] int Width() const override { return kWidth; }
  [[nodiscard]] int Height() const override { return kHeight; }
  bool Handle(const UiEvent& e) override;
  [[nodiscard]] bool Closed() const override { return closed_; }

  [[nodiscard]] const std::string& Entry() const;
  [[nodiscard]] std::string FocusedControl() const override { return focus_; }

  // Handlers under the dialog's names.
  void cmdTenKey_Click(int index);
  void cmdClr_Click();
  void cmdCancel_Click();
  void cmdKakutei_Click();
  void Form_KeyPress(int keyAscii);
  void txtNowData_Change(const std::string& text);

 private:
  bool HandleClick(const std::string& id);
  void subClickInput(std::string_view s);
  [[nodiscard]] bool TimeColumn() const;
  void Reject(std::string_view message);
  void SetEntry(const std::string& text);

  ClientState& s_;
  Host& host_;
  std::string focus_;
  bool closed_ = false;
};

}  // namespace tb
