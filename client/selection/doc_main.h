// docMain, the selection page: the user chooses the report kind (日報 / 月報 / 年報), the
// mode (表示 one period or 印刷 a range) and the dates, and presses 実行. The page model
// holds every control of the page and runs its event handlers against the client's shared
// state; Run leaves the report description there for the grid page or the range print.
//
// Lifecycle: the host constructs the page, calls Initialize() (the page-initialised
// event, which arms Timer1 at 100 ms) and fires Timer1 once: the start-up. Until the
// start-up has run, clicks are refused (the page is not set up yet). While a click's
// handler runs (a modal ten-key dialog, Run, a range print letting the message loop run),
// further clicks and start-up ticks are refused; the clock keeps ticking.
// Not thread-safe: the session's UI thread owns the page, the state and the host.
#pragma once

#include <string>
#include <string_view>

#include "client/core/client_state.h"
#include "client/core/controls.h"
#include "client/core/host.h"
#include "client/selection/date_row.h"
#include "client/selection/range_print_hook.h"

namespace tb {

class DocMain : public Document {
 public:
  // The page's client area: room for fraMain and cmdJikkou.
  static constexpr int kWidth = 11000;
  static constexpr int kHeight = 8300;

  // Both must outlive the page.
  DocMain(ClientState& state, Host& host);

  [[nodiscard]] std::string_view Name() const override { return "docMain"; }
  [[nodiscard]] int Width() const override { return kWidth; }
  [[nodiscard]] int Height() const override { return kHeight; }
  bool Handle(const UiEvent& e) override;

  // The page-initialised event: Timer1 interval 100 ms.
  void Initialize();
  // Installs the range print that Run calls in print mode.
  void SetRangePrinter(RangePrinter printer) { rangePrinter_ = std::move(printer); }

  // True when 表示 (optSyuusei) is selected.
  [[nodiscard]] bool DisplayMode() const;
  // The control that has the focus (the handlers put it on cmdJikkou); empty at first.
  [[nodiscard]] std::string FocusedControl() const override { return focus_; }
  [[nodiscard]] bool StartedUp() const { return startedUp_; }

  // Event handlers under the page's names.
  void Timer1_Timer();
  void timDate_Timer();
  void optNippou_Click() { SelectKind(1); }
  void optGeppou_Click() { SelectKind(2); }
  void optNenpou_Click() { SelectKind(3); }
  void optSyuusei_Click();
  void optPrint_Click();
  void DateLabel_Click(const DateLabelRef& label);
  void cmdJikkou_Click();
  void cmdJiPage_Click() { StepPeriod(+1); }
  void cmdZenPage_Click() { StepPeriod(-1); }

 private:
  bool HandleTimer(const std::string& id);
  bool HandleClick(const std::string& id);
  [[nodiscard]] bool Clickable(const Control& c) const;
  Control& Ctl(std::string_view id) { return controls_[id]; }
  [[nodiscard]] const std::string& Caption(std::string_view id) const;
  void SetVisible(std::string_view id, bool visible) { Ctl(id).visible = visible; }
  void SetRowVisible(int row, bool visible);

  // Start-up steps (doc_main_startup.cpp).
  void SetVersionCaption();
  void SetTodayInAllRows();
  void ApplyYearStyle();

  // Kind and mode (doc_main_options.cpp).
  void SelectOption(std::string_view id);
  void ColourOptionGroup(std::string_view selected);
  void SelectKind(int kind);

  // Date rows (doc_main_dates.cpp).
  [[nodiscard]] int RowYear(int row) const;
  [[nodiscard]] DateBounds Bounds(const DateLabelRef& label) const;

  // Run (doc_main_run.cpp).
  struct RunPlan {
    std::string pageCountSql;
    std::string progressText;
  };
  RunPlan DescribeReport();
  void ShowRunError(int number, std::string_view source, std::string_view description);
  void ReadPageCount(const std::string& sql);
  void OpenGrid();
  void PrintRange();

  // Period stepping (doc_main_stepping.cpp).
  void StepPeriod(int delta);
  void WriteRowDate(int row, std::chrono::year_month_day date, int kind);

  ClientState& s_;
  Host& host_;
  RangePrinter rangePrinter_;
  std::string focus_;
  bool startedUp_ = false;
  bool busy_ = false;
};

}  // namespace tb
