// The grid document "docGrid": one page of one report period as a table (grdGrid), with
// the period and page buttons, the page-number and page-title jumps, the CSV export, the
// page print and the way back to the selection page. Every way of reaching a page changes
// the shared state and calls StartPageLoad; the load itself runs in the one-shot tick of
// Timer1. The document reads and writes the session's ClientState and talks to its
// surroundings only through the Host. Not thread-safe: one session's UI thread.
//
// Files: doc_grid.cpp (controls, event dispatch), doc_grid_load.cpp (the load, step by
// step), doc_grid_nav.cpp (periods, pages, jumps, back), doc_grid_csv.cpp (CSV export).
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "client/core/client_state.h"
#include "client/core/controls.h"
#include "client/core/host.h"
#include "client/grid/flex_grid.h"
#include "client/grid/shown_tag.h"

namespace tb {

class DocGrid;

// What cmdPrint does: set once by the printing part at start-up (before any session
// runs); while unset the button does nothing.
using GridPrintHook = std::function<void(ClientState&, Host&, DocGrid&)>;
void SetGridPrintHook(GridPrintHook hook);

// What cmdExcel does (the workbook export): set once by the export part at start-up;
// while unset the button does nothing.
using GridWorkbookHook = std::function<void(ClientState&, Host&, DocGrid&)>;
void SetGridWorkbookHook(GridWorkbookHook hook);

class DocGrid : public Document {
 public:
  // Layout of the page, in twips.
  static constexpr int kWidth = 15360;
  static constexpr int kHeight = 10800;
  static constexpr int kGridLeft = 120;
  static constexpr int kGridTop = 1260;
  static constexpr int kLoadIntervalMs = 100;

  // Builds the controls and starts the first load (the document has been brought up).
  DocGrid(ClientState& s, Host& host);
  ~DocGrid() override;
  DocGrid(const DocGrid&) = delete;
  DocGrid& operator=(const DocGrid&) = delete;

  [[nodiscard]] std::string_view Name() const override { return "docGrid"; }
  [[nodiscard]] int Width() const override { return kWidth; }
  [[nodiscard]] int Height() const override { return kHeight; }
  bool Handle(const UiEvent& e) override;

  [[nodiscard]] FlexGrid& Grid() { return grid_; }
  [[nodiscard]] const FlexGrid& Grid() const { return grid_; }
  [[nodiscard]] ClientState& State() { return s_; }
  // Shows or hides grdGrid (the control and its grid model together); the page print
  // hides it while it reads the cells.
  void SetGridVisible(bool visible);

  // Arms the one-shot load timer; the only way to (re)load the page.
  void StartPageLoad();
  // True between StartPageLoad and the end of the load: the shared state may already
  // describe a page that the grid does not show yet.
  [[nodiscard]] bool LoadPending() const;

  // What the last load showed in tag column `col` (1 to 15); a column without a tag
  // gives tagId 0. TagColumns lists the columns that hold a tag, left to right.
  [[nodiscard]] const ShownTag& ShownTagOf(int col) const;
  [[nodiscard]] std::vector<int> TagColumns() const;

  // Event handlers, named after their controls.
  void Timer1_Timer();
  void cmdGo_Click();
  void cmdZen_Click();
  void cmdJiPage_Click();
  void cmdZenPage_Click();
  void lblPage_Click();
  void lblPageTitle_Click();
  void cmdEnd_Click();
  void cmdOut_Click();
  void cmdPrint_Click();
  void cmdExcel_Click();
  // A click on a grid cell: it becomes the current cell (headings cannot be selected).
  bool grdGrid_SelectCell(int row, int col);

  // The CSV text of the page on show (UTF-8; the export writes it as CP932).
  [[nodiscard]] std::string CsvText() const;
  // The proposed file name of the CSV export ("yymmdd" + page "00" + ".csv" for a day).
  [[nodiscard]] std::string DefaultCsvName() const;

 private:
  void BuildControls();
  void AddButton(std::string name, std::string caption, std::string toolTip, int left, int top,
                 int width, int height);
  void AddLabel(std::string name, std::string toolTip, int left, int top, int width, int height);
  void SyncCurrentCol();
  // Shared part of the page moves: hourglass and hidden grid around a new load.
  void ReloadAround(const std::function<void()>& change);

  // The load, in order (doc_grid_load.cpp).
  void LoadHideGrid();                  // 1
  void LoadOpenData();                  // 2
  void LoadDateCaption();               // 3
  void LoadGridLayout();                // 4
  void LoadLabelColumn(int n);          // 4: unit word, row labels, summary words
  void LoadPlacePeriodButtons();        // 5
  void LoadTintSummaryRows();           // 6
  void LoadBuildPageSql();              // 7
  void LoadPageTitle();                 // 9
  [[nodiscard]] bool LoadTags();       // 10; true when the page query is open
  void LoadTag(int n);                  // 10.1 - 10.8 for the current row of gKanriRs
  void LoadTagValues(int col, int n);   // 10.4 - 10.8
  void RecordShownTag(int col);         // 10.3: the column's tag (doc_grid_shown.cpp)
  void RecordShownValues(int col, int n);  // 10.5: the values it shows
  void LoadPeriodCells(int col, int n); // 10.5, 10.6
  void LoadSummaryCells(int col, int n);  // 10.7
  void LoadScrollToFirstColumn();       // 11
  void LoadCloseDatabases(bool kanriOpen);  // 12
  void LoadPagePosition();              // 13
  void LoadFinish();                    // 14

  ClientState& s_;
  Host& host_;
  FlexGrid grid_;
  std::array<ShownTag, 16> shown_{};  // by grid column
  bool accessFault_ = false;
};

}  // namespace tb
