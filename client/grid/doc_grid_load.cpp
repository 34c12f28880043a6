// The load of one report page into grdGrid, run in the one-shot tick of Timer1. Steps 1 to
// 7 prepare the grid and build the page query; from step 8 on every statement runs in
// resume mode (a failing statement is passed over), so a missing table, a Null heading or
// a bad value costs only its own cell and the page still ends shown with the timer
// stopped.
#include <algorithm>
#include <string>

#include "client/core/formatting.h"
#include "client/core/messages.h"
#include "client/core/query_texts.h"
#include "client/core/vb_error.h"
#include "client/grid/cell_value_rule.h"
#include "client/grid/doc_grid.h"

namespace tb {

namespace {

constexpr int kHeadingRows = 4;
constexpr int kGridCols = 16;
constexpr int kTagCols = 15;
constexpr int kLabelColWidth = 620;
constexpr int kTagColWidth = 1500;
constexpr double kGridFontSize = 11;
constexpr Colour kOddRowTint = Rgb(235, 255, 255);
constexpr Colour kSummaryTint = Rgb(200, 255, 255);
constexpr int kDaily = 1;

// Label of one period row: the counter as "hh:00" for the daily report, bare otherwise.
std::string RowLabel(int kind, int counter) {
  if (kind != kDaily) return std::to_string(counter);
  return (counter < 10 ? "0" : "") + std::to_string(counter) + ":00";
}

// A field as text; Null reads as the empty text.
std::string FieldText(const db::Recordset& rs, std::string_view column) {
  const auto& v = rs.Field(column);
  return v ? *v : std::string();
}

}  // namespace

// The one load. Steps 1-7 form the armed part: when one of them fails the load goes
// straight to its closing steps and reports a table access fault, so the grid is never
// left hidden and the timer never left running.
void DocGrid::Timer1_Timer() {
  accessFault_ = false;
  shown_ = {};
  bool prepared = false;
  try {
    LoadHideGrid();
    LoadOpenData();
    LoadDateCaption();
    LoadGridLayout();
    LoadPlacePeriodButtons();
    LoadTintSummaryRows();
    LoadBuildPageSql();
    prepared = true;
  } catch (const std::exception&) {
    accessFault_ = true;
  }
  bool kanriOpen = false;
  if (prepared) {
    // Step 8: resume mode from here on (each step guards its own statements).
    LoadPageTitle();
    kanriOpen = LoadTags();
    ResumeNext([&] { LoadScrollToFirstColumn(); });
  }
  LoadCloseDatabases(kanriOpen);
  ResumeNext([&] { LoadPagePosition(); });
  LoadFinish();
  if (accessFault_)
    host_.MsgBox(msg::kTableAccessFault, MsgBoxButtons::kOk, msg::kCaptionConfirm);
}

void DocGrid::LoadHideGrid() {
  SetGridVisible(false);
  grid_.SetFontSize(kGridFontSize);
}

// The data database is opened outside resume mode. When it cannot be opened the page
// still loads its headings and title from the layout database, shows no values and
// reports "テーブルのアクセス異常" once the load has finished.
void DocGrid::LoadOpenData() {
  try {
    OpenDataConnection(s_);  // leaves no connection when it fails
  } catch (const std::exception&) {
    accessFault_ = true;
  }
}

void DocGrid::LoadDateCaption() { controls_["lblTitle"].caption = s_.gDateCaption; }

void DocGrid::LoadGridLayout() {
  const int n = s_.gColumnCount;
  grid_.Clear();
  grid_.SetRows(n + 8);  // rows before fixed rows: the grid may still be 2 rows high
  grid_.SetCols(kGridCols);
  grid_.SetFixedRows(kHeadingRows);
  grid_.SetFixedCols(1);
  grid_.SetColWidth(0, kLabelColWidth);
  grid_.SetColAlignment(0, FlexAlign::kCenterCenter);
  grid_.SetFixedAlignment(0, FlexAlign::kCenterCenter);
  for (int c = 1; c < kGridCols; ++c) {
    grid_.SetColWidth(c, kTagColWidth);
    grid_.SetColAlignment(c, FlexAlign::kRightCenter);
    grid_.SetFixedAlignment(c, FlexAlign::kCenterCenter);
  }
  for (int r = 0; r < kHeadingRows; ++r) grid_.SetCellBackColour(r, 0, kGrey);
  LoadLabelColumn(n);
}

void DocGrid::LoadLabelColumn(int n) {
  grid_.SetTextMatrix(3, 0, s_.gPeriodUnit);
  grid_.SetCellForeColour(3, 0, kWhite);
  int counter = s_.gPeriodStart;
  for (int i = 1; i <= n; ++i) {
    const int row = i + 3;
    grid_.SetTextMatrix(row, 0, RowLabel(s_.gReportKind, counter));
    if (++counter > n) counter = 1;
    if (row % 2 == 1)
      for (int c = 1; c < kGridCols; ++c) grid_.SetCellBackColour(row, c, kOddRowTint);
  }
  grid_.SetTextMatrix(n + 4, 0, "合計");
  grid_.SetTextMatrix(n + 5, 0, "平均");
  grid_.SetTextMatrix(n + 6, 0, "最大");
  grid_.SetTextMatrix(n + 7, 0, "最小");
}

void DocGrid::LoadPlacePeriodButtons() {
  const int gridLeft = controls_["grdGrid"].left;
  for (auto [name, left] : {std::pair{"cmdZen", gridLeft}, std::pair{"cmdGo", gridLeft + 600}}) {
    auto& b = controls_[name];
    b.height = 375;
    b.width = 435;
    b.top = 300;
    b.left = left;
  }
}

// Equal large headings of neighbouring tags join into one cell.
void DocGrid::LoadTintSummaryRows() {
  const int n = s_.gColumnCount;
  for (int r = n + 4; r <= n + 7; ++r)
    for (int c = 1; c < kGridCols; ++c) grid_.SetCellBackColour(r, c, kSummaryTint);
  grid_.SetMergeCells(FlexMerge::kRestrictColumns);
  grid_.SetMergeRow(0, true);
}

void DocGrid::LoadBuildPageSql() {
  s_.gPageSql = sql::PageQuery(s_.gItemSql, s_.gReportKind, s_.gCurrentPage);
}

void DocGrid::LoadPageTitle() {
  host_.SetStatusText(msg::kStatusLoadingTitle);
  auto& title = controls_["lblPageTitle"].caption;
  ResumeNext([&] {
    title.clear();
    if (!OpenKanriQuery(s_, host_, sql::PageTitle(s_.gReportKind, s_.gCurrentPage), s_.gKanriRs))
      return;
    ResumeNext([&] {
      if (!s_.gKanriRs.Eof()) title = FieldText(s_.gKanriRs, "Title");
    });
    CloseKanriQuery(s_, s_.gKanriRs);
  });
}

bool DocGrid::LoadTags() {
  host_.SetStatusText(msg::kStatusLoadingItems);
  bool open = false;
  ResumeNext([&] { open = OpenKanriQuery(s_, host_, s_.gPageSql, s_.gKanriRs); });
  if (!open) return false;
  const int n = s_.gColumnCount;
  for (; !s_.gKanriRs.Eof(); s_.gKanriRs.MoveNext()) LoadTag(n);
  return true;
}

// One tag of the page query. A tag whose column number is not 1 to 15 has no place on the
// page and is passed over as a whole (its headings and values would otherwise land in
// whatever column was current before it).
void DocGrid::LoadTag(int n) {
  const auto& rs = s_.gKanriRs;
  std::optional<std::int16_t> col;
  ResumeNext([&] { col = ParseInt16(FieldText(rs, "項目NO")); });
  if (!col || *col < 1 || *col > kTagCols) return;
  const int c = *col;
  ResumeNext([&] { grid_.SetCol(c); });
  ResumeNext([&] {
    auto pattern = FieldText(rs, "有効桁");
    s_.gColPattern[static_cast<size_t>(c)] = pattern.empty() ? "0" : pattern;
  });
  // A display type that is not a number counts as a number column (type 0).
  ResumeNext([&] {
    s_.gColDisplayType[static_cast<size_t>(c)] = ParseInt16(FieldText(rs, "P種別")).value_or(0);
  });
  const char* headings[] = {"BIGN", "MIDN", "SMLN", "TANN"};
  for (int r = 0; r < kHeadingRows; ++r)
    ResumeNext([&] { grid_.SetTextMatrix(r, c, FieldText(rs, headings[r])); });
  RecordShownTag(c);
  LoadTagValues(c, n);
}

// A value query that the database refuses (the file went bad or is locked during the
// load, the table is missing) leaves the tag's cells empty and reports a table access
// fault when the load ends; the data database is not asked again in this load, as each
// further query would fail the same way (a locked file after its busy timeout each).
void DocGrid::LoadTagValues(int c, int n) {
  auto& data = s_.gDataRs;
  bool hasRow = false;
  ResumeNext([&] {
    if (!s_.gDataCn) return;  // the data database could not be opened
    const auto tagId = std::stoll(FieldText(s_.gKanriRs, "TAG_ID"));
    try {
      data = s_.gDataCn->Execute(sql::TagValues(s_.gDataTable, s_.gDateKey, tagId));
    } catch (const db::DbError&) {
      accessFault_ = true;
      s_.gDataCn->Close();
      s_.gDataCn.reset();
      throw;
    }
    hasRow = !data.Eof();
  });
  if (hasRow) {
    RecordShownValues(c, n);
    LoadPeriodCells(c, n);
    LoadSummaryCells(c, n);
  }
  ResumeNext([&] { data.Close(); });
}

// Red marks the period's maximum, blue its minimum (red wins when both are equal).
void DocGrid::LoadPeriodCells(int c, int n) {
  const auto& data = s_.gDataRs;
  const int type = s_.gColDisplayType[static_cast<size_t>(c)];
  const std::string& pattern = s_.gColPattern[static_cast<size_t>(c)];
  std::string max, min;
  ResumeNext([&] { max = FieldText(data, "MAX"); });
  ResumeNext([&] { min = FieldText(data, "MIN"); });
  int shown = 0, red = 0;
  for (int i = 1; i <= n; ++i) {
    ResumeNext([&] {
      const std::string v = FieldText(data, "DATA_" + std::to_string(i));
      if (v.empty()) return;
      const Colour colour = v == max ? kRed : v == min ? kBlue : kBlack;
      ++shown;
      red += colour == kRed ? 1 : 0;
      grid_.SetCellForeColour(i + 3, c, colour);
      if (auto text = PeriodCellText(v, type, pattern, s_.gKetaFlg))
        grid_.SetTextMatrix(i + 3, c, std::move(*text));
    });
  }
  // A constant series equals its maximum everywhere: red would carry no information.
  if (shown > 0 && red == shown)
    for (int i = 1; i <= n; ++i) ResumeNext([&] { grid_.SetCellForeColour(i + 3, c, kBlack); });
}

void DocGrid::LoadSummaryCells(int c, int n) {
  const auto& data = s_.gDataRs;
  const int type = s_.gColDisplayType[static_cast<size_t>(c)];
  const std::string& pattern = s_.gColPattern[static_cast<size_t>(c)];
  const std::pair<const char*, std::optional<Colour>> summaries[] = {
      {"TOTAL", std::nullopt}, {"AVE", std::nullopt}, {"MAX", kRed}, {"MIN", kBlue}};
  for (int k = 0; k < 4; ++k)
    ResumeNext([&] {
      const std::string v = FieldText(data, summaries[k].first);
      if (v.empty()) return;
      if (summaries[k].second) grid_.SetCellForeColour(n + 4 + k, c, summaries[k].second);
      if (auto text = SummaryCellText(v, type, pattern, s_.gKetaFlg))
        grid_.SetTextMatrix(n + 4 + k, c, std::move(*text));
    });
}

void DocGrid::LoadScrollToFirstColumn() { grid_.SetLeftCol(1); }

void DocGrid::LoadCloseDatabases(bool kanriOpen) {
  if (kanriOpen) ResumeNext([&] { CloseKanriQuery(s_, s_.gKanriRs); });
  ResumeNext([&] {
    if (s_.gDataCn) s_.gDataCn->Close();
  });
  s_.gDataCn.reset();
}

void DocGrid::LoadPagePosition() {
  controls_["lblPage"].caption =
      std::to_string(s_.gCurrentPage) + "/" + std::to_string(s_.gMaxPage);
}

void DocGrid::LoadFinish() {
  host_.SetStatusText("");
  SetGridVisible(true);
  controls_["Timer1"].interval = 0;
}

}  // namespace tb
