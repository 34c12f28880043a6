// The page-title list "frmTitleItiran": a modal dialog listing every page title of the
// current report kind in page order (MSFlexGrid1: PAGE, タイトル). Picking a row with
// "選択" or a double click anywhere on the list (on the heading row the current cell
// stays) sets gCurrentPage to the current row's page and gTitleJump to 1, then closes; "閉じる" closes without a pick. The list is filled when the dialog is created.
// Not thread-safe: one session's UI thread.
#pragma once

#include <string_view>

#include "client/core/client_state.h"
#include "client/core/controls.h"
#include "client/core/host.h"
#include "client/grid/flex_grid.h"

namespace tb {

class FrmTitleItiran : public Document {
 public:
  static constexpr int kWidth = 6120;
  static constexpr int kHeight = 6360;

  // Form_Load: builds the controls and fills the list from the layout database.
  FrmTitleItiran(ClientState& s, Host& host);

  [[nodiscard]] std::string_view Name() const override { return "frmTitleItiran"; }
  [[nodiscard]] std::string_view Caption() const override { return "ページタイトル一覧"; }
  [[nodiscard]] int Width() const override { return kWidth; }
  [[nodiscard]] int Height() const override { return kHeight; }
  bool Handle(const UiEvent& e) override;
  [[nodiscard]] bool Closed() const override { return closed_; }

  [[nodiscard]] FlexGrid& List() { return list_; }

  void cmd_Find_Click();
  void cmdEnd_Click() { closed_ = true; }
  void MSFlexGrid1_DblClick() { cmd_Find_Click(); }
  // A click on a list cell makes it the current cell (the heading row cannot be picked).
  bool MSFlexGrid1_SelectCell(int row, int col);

 private:
  void BuildControls();
  void DesignList();
  void FillList();

  ClientState& s_;
  Host& host_;
  FlexGrid list_;
  bool closed_ = false;
};

}  // namespace tb
