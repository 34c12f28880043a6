#include "client/grid/frm_title_itiran.h"

#include <algorithm>

#include "client/core/formatting.h"
#include "client/core/messages.h"
#include "client/core/query_texts.h"
#include "client/core/vb_error.h"

namespace tb {

namespace {

constexpr int kPageColWidth = 700;
constexpr int kTitleColWidth = 4700;

std::string FieldText(const db::Recordset& rs, std::string_view column) {
  const auto& v = rs.Field(column);
  return v ? *v : std::string();
}

}  // namespace

FrmTitleItiran::FrmTitleItiran(ClientState& s, Host& host) : s_(s), host_(host) {
  BuildControls();
  DesignList();
  list_.SetFontSize(11);
  FillList();
}

void FrmTitleItiran::BuildControls() {
  Control grid;
  grid.name = "MSFlexGrid1";
  grid.kind = ControlKind::kGrid;
  grid.left = 120, grid.top = 120, grid.width = 5880, grid.height = 5400;
  grid.font = FontSpec{"ＭＳ ゴシック", 11, false};
  grid.grid = &list_;
  controls_.Add(std::move(grid));

  Control find;
  find.name = "cmd_Find";
  find.kind = ControlKind::kButton;
  find.caption = "選択";
  find.toolTip = "リストで選択されたタグをマスター情報に表示します。";
  find.left = 2880, find.top = 5700, find.width = 1440, find.height = 495;
  controls_.Add(std::move(find));

  Control end;
  end.name = "cmdEnd";
  end.kind = ControlKind::kButton;
  end.caption = "閉じる";
  end.toolTip = "画面を閉じます。";
  end.left = 4560, end.top = 5700, end.width = 1440, end.height = 495;
  controls_.Add(std::move(end));
}

// The list as designed: a heading row over one empty row, page and title columns.
void FrmTitleItiran::DesignList() {
  list_.SetRows(2);
  list_.SetCols(2);
  list_.SetFixedRows(1);
  list_.SetFixedCols(0);
  list_.SetColWidth(0, kPageColWidth);
  list_.SetColWidth(1, kTitleColWidth);
  list_.SetFixedAlignment(0, FlexAlign::kCenterCenter);
  list_.SetFixedAlignment(1, FlexAlign::kCenterCenter);
  list_.SetColAlignment(1, FlexAlign::kLeftCenter);
  list_.SetTextMatrix(0, 0, "PAGE");
  list_.SetTextMatrix(0, 1, "タイトル");
  list_.SetRow(1);
  list_.SetCol(0);
}

// One row per title record in page order. The list has at least gMaxPage rows below its
// heading and grows when the title table holds more records, so no title is lost.
void FrmTitleItiran::FillList() {
  auto& rs = s_.gKanriRs;
  if (!OpenKanriQuery(s_, host_, sql::PageTitleList(s_.gReportKind), rs)) return;
  ResumeNext([&] {
    if (rs.Eof()) return;
    list_.SetVisible(false);
    const int records = static_cast<int>(rs.RecordCount());
    list_.SetRows(std::max<int>(s_.gMaxPage, records) + 1);
    for (int i = 1; !rs.Eof(); rs.MoveNext(), ++i) {
      ResumeNext([&] { list_.SetTextMatrix(i, 0, FieldText(rs, "PAGE")); });
      ResumeNext([&] { list_.SetTextMatrix(i, 1, FieldText(rs, "Title")); });
    }
  });
  ResumeNext([&] { CloseKanriQuery(s_, rs); });
  list_.SetVisible(true);
}

// A row whose page cell is not a number cannot be jumped to; it is answered like an
// empty cell instead of ending the dialog with a conversion error.
void FrmTitleItiran::cmd_Find_Click() {
  std::optional<std::int16_t> page;
  if (!list_.Text().empty()) page = ParseInt16(list_.TextMatrix(list_.Row(), 0));
  if (!page) {
    host_.MsgBox(msg::kClickTitleCell, MsgBoxButtons::kOk, msg::kCaptionConfirm);
    return;
  }
  list_.SetCol(0);
  s_.gCurrentPage = *page;
  s_.gTitleJump = 1;
  closed_ = true;
}

bool FrmTitleItiran::MSFlexGrid1_SelectCell(int row, int col) {
  if (row < list_.FixedRows() || row >= list_.Rows() || col < list_.FixedCols() ||
      col >= list_.Cols())
    return false;
  list_.SetRow(row);
  list_.SetCol(col);
  return true;
}

bool FrmTitleItiran::Handle(const UiEvent& e) {
  using K = UiEvent::Kind;
  if (closed_) return false;
  if (e.kind == K::kClose) {
    closed_ = true;
    return true;
  }
  const auto* c = controls_.Find(e.control);
  if (c == nullptr || !c->visible || !c->enabled) return false;
  if (e.control == "MSFlexGrid1") {
    if (e.kind == K::kClick || e.kind == K::kCellSelect) return MSFlexGrid1_SelectCell(e.row, e.col);
    if (e.kind != K::kDblClick) return false;
    // A double click anywhere on the list picks the current cell; on a list cell it first
    // makes that cell current, on the heading row the current cell stays.
    (void)MSFlexGrid1_SelectCell(e.row, e.col);
    MSFlexGrid1_DblClick();
    return true;
  }
  if (e.kind != K::kClick) return false;
  if (e.control == "cmd_Find") {
    cmd_Find_Click();
  } else if (e.control == "cmdEnd") {
    cmdEnd_Click();
  } else {
    return false;
  }
  return true;
}

}  // namespace tb
