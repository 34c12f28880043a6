#include "client/grid/doc_grid.h"

#include <map>
#include <utility>

namespace tb {

namespace {

// Set once at start-up by the printing part, read by every session's cmdPrint.
GridPrintHook& PrintHook() {
  static GridPrintHook hook;
  return hook;
}

// Set once at start-up by the export part, read by every session's cmdExcel.
GridWorkbookHook& WorkbookHook() {
  static GridWorkbookHook hook;
  return hook;
}

constexpr int kRowTop = 300;       // first control row: period, titles, page buttons
constexpr int kRow2Top = 780;      // second control row: export, print, end
constexpr int kControlHeight = 375;
constexpr int kGridWidth = 15120;
constexpr int kGridHeight = 9360;
const FontSpec kTitleFont{"ＭＳ ゴシック", 12, true};

}  // namespace

void SetGridPrintHook(GridPrintHook hook) { PrintHook() = std::move(hook); }
void SetGridWorkbookHook(GridWorkbookHook hook) { WorkbookHook() = std::move(hook); }

DocGrid::DocGrid(ClientState& s, Host& host) : s_(s), host_(host) {
  BuildControls();
  SyncCurrentCol();
  StartPageLoad();
}

// The ten-key dialog's "・" key asks for the grid's column; without a grid page there is none.
DocGrid::~DocGrid() { s_.gGridCurrentCol = -1; }

void DocGrid::AddButton(std::string name, std::string caption, std::string toolTip, int left,
                        int top, int width, int height) {
  Control c;
  c.name = std::move(name);
  c.kind = ControlKind::kButton;
  c.caption = std::move(caption);
  c.toolTip = std::move(toolTip);
  c.left = left, c.top = top, c.width = width, c.height = height;
  controls_.Add(std::move(c));
}

void DocGrid::AddLabel(std::string name, std::string toolTip, int left, int top, int width,
                       int height) {
  Control c;
  c.name = std::move(name);
  c.kind = ControlKind::kLabel;
  c.toolTip = std::move(toolTip);
  c.left = left, c.top = top, c.width = width, c.height = height;
  c.font = kTitleFont;
  controls_.Add(std::move(c));
}

// A 15-column page: the period buttons and captions on the first row, the page buttons
// around the page number at its right end, export/print/end on the second row (the
// workbook export left of the CSV export, so the other buttons keep their places), the grid
// below (its columns scroll horizontally; 620 + 15 x 1500 twips do not fit the page).
void DocGrid::BuildControls() {
  AddButton("cmdZen", "前", "", kGridLeft, kRowTop, 435, kControlHeight);
  AddButton("cmdGo", "後", "", kGridLeft + 600, kRowTop, 435, kControlHeight);
  AddLabel("lblTitle", "", 1300, kRowTop, 4500, kControlHeight);
  AddLabel("lblPageTitle", "タイトル一覧から選択できます。", 5900, kRowTop, 4300, kControlHeight);
  controls_["lblPageTitle"].backColour = kWhite;
  AddButton("cmdZenPage", "前頁", "", 10300, kRowTop, 735, kControlHeight);
  AddLabel("lblPage", "任意のページにジャンプします。", 11100, kRowTop, 1100, kControlHeight);
  controls_["lblPage"].backColour = kWhite;
  AddButton("cmdJiPage", "次頁", "", 12260, kRowTop, 735, kControlHeight);
  AddButton("cmdExcel", "Excel出力(&X)", "Excelブックを作成し、保存します。", 9120, kRow2Top,
            1440, kControlHeight);
  AddButton("cmdOut", "出力(&O)", "CSVファイルを作成し、保存します。", 10680, kRow2Top, 1440,
            kControlHeight);
  AddButton("cmdPrint", "印刷(&P)", "このページを印刷します。", 12240, kRow2Top, 1440,
            kControlHeight);
  AddButton("cmdEnd", "終了(&E)", "画面を閉じます。", 13800, kRow2Top, 1440, kControlHeight);

  Control grid;
  grid.name = "grdGrid";
  grid.kind = ControlKind::kGrid;
  grid.left = kGridLeft, grid.top = kGridTop, grid.width = kGridWidth, grid.height = kGridHeight;
  grid.font = FontSpec{"ＭＳ ゴシック", 11, false};
  grid.grid = &grid_;
  controls_.Add(std::move(grid));

  Control timer;
  timer.name = "Timer1";
  timer.kind = ControlKind::kTimer;
  timer.visible = false;
  controls_.Add(std::move(timer));
}

void DocGrid::StartPageLoad() { controls_["Timer1"].interval = kLoadIntervalMs; }

void DocGrid::SyncCurrentCol() { s_.gGridCurrentCol = grid_.Col(); }

void DocGrid::SetGridVisible(bool visible) {
  controls_["grdGrid"].visible = visible;
  grid_.SetVisible(visible);
}

bool DocGrid::grdGrid_SelectCell(int row, int col) {
  if (row < grid_.FixedRows() || row >= grid_.Rows() || col < grid_.FixedCols() ||
      col >= grid_.Cols())
    return false;
  grid_.SetRow(row);
  grid_.SetCol(col);
  return true;
}

void DocGrid::cmdPrint_Click() {
  if (const auto& hook = PrintHook()) hook(s_, host_, *this);
}

void DocGrid::cmdExcel_Click() {
  if (const auto& hook = WorkbookHook()) hook(s_, host_, *this);
}

bool DocGrid::Handle(const UiEvent& e) {
  using K = UiEvent::Kind;
  static const std::map<std::string, void (DocGrid::*)(), std::less<>> kClicks = {
      {"cmdGo", &DocGrid::cmdGo_Click},           {"cmdZen", &DocGrid::cmdZen_Click},
      {"cmdJiPage", &DocGrid::cmdJiPage_Click},   {"cmdZenPage", &DocGrid::cmdZenPage_Click},
      {"lblPage", &DocGrid::lblPage_Click},       {"lblPageTitle", &DocGrid::lblPageTitle_Click},
      {"cmdEnd", &DocGrid::cmdEnd_Click},         {"cmdOut", &DocGrid::cmdOut_Click},
      {"cmdPrint", &DocGrid::cmdPrint_Click},     {"cmdExcel", &DocGrid::cmdExcel_Click}};
  auto* c = controls_.Find(e.control);
  if (c == nullptr) return false;
  bool handled = false;
  if (c->kind == ControlKind::kTimer) {
    if (e.kind != K::kTimer || c->interval <= 0) return false;
    Timer1_Timer();
    handled = true;
  } else if (!c->visible || !c->enabled) {
    return false;
  } else if (c->kind == ControlKind::kGrid) {
    const bool cellEvent = e.kind == K::kClick || e.kind == K::kCellSelect || e.kind == K::kDblClick;
    handled = cellEvent && grdGrid_SelectCell(e.row, e.col);
  } else if (auto it = kClicks.find(e.control); it != kClicks.end() && e.kind == K::kClick) {
    (this->*(it->second))();
    handled = true;
  }
  SyncCurrentCol();
  return handled;
}

}  // namespace tb
