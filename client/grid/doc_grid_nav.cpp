// Moving the grid page: to the next or previous period, the next or previous page, a page
// chosen by number (ten-key dialog) or by title (frmTitleItiran), and back to the
// selection page. Every move changes the shared state and reloads through StartPageLoad.
#include <string>

#include "client/core/formatting.h"
#include "client/grid/doc_grid.h"
#include "client/grid/frm_title_itiran.h"
#include "client/grid/period_step.h"
#include "client/grid/tenkey.h"

namespace tb {

void DocGrid::ReloadAround(const std::function<void()>& change) {
  host_.SetMousePointer(MousePointer::kHourglass);
  SetGridVisible(false);
  change();
  StartPageLoad();
  SetGridVisible(true);
  host_.SetMousePointer(MousePointer::kDefault);
}

// The current page is kept; the new period may have another number of rows (months).
void DocGrid::cmdGo_Click() {
  StepPeriod(s_, +1);
  StartPageLoad();
}

void DocGrid::cmdZen_Click() {
  StepPeriod(s_, -1);
  StartPageLoad();
}

void DocGrid::cmdJiPage_Click() {
  if (s_.gMaxPage < 2) return;
  ReloadAround([&] {
    s_.gCurrentPage = s_.gCurrentPage >= s_.gMaxPage
                          ? std::int16_t{1}
                          : static_cast<std::int16_t>(s_.gCurrentPage + 1);
  });
}

void DocGrid::cmdZenPage_Click() {
  if (s_.gMaxPage < 2) return;
  ReloadAround([&] {
    s_.gCurrentPage = s_.gCurrentPage <= 1 ? s_.gMaxPage
                                           : static_cast<std::int16_t>(s_.gCurrentPage - 1);
  });
}

// The dialog checks the bounds; a confirmed decimal entry becomes the nearest page, a half
// going to the even neighbour.
void DocGrid::lblPage_Click() {
  auto& label = controls_["lblPage"];
  label.backColour = kYellow;
  ShowTenkey(s_, host_, std::to_string(s_.gCurrentPage), std::to_string(s_.gMaxPage), "1");
  if (s_.gTenkeyOk == 1) {
    ReloadAround([&] {
      if (auto page = ParseInt16(s_.gTenkeyResult)) s_.gCurrentPage = *page;
    });
  }
  label.backColour = kWhite;
}

void DocGrid::lblPageTitle_Click() {
  s_.gTitleJump = 0;
  {
    FrmTitleItiran list(s_, host_);
    host_.ShowModal(list);
  }
  if (s_.gTitleJump == 1) {
    ReloadAround([] {});  // the list has already set gCurrentPage
    s_.gTitleJump = 0;
  }
}

void DocGrid::cmdEnd_Click() { host_.GoBack(); }

}  // namespace tb
