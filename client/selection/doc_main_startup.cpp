// The start-up of docMain (first Timer1 tick) and the clock (timDate).
#include <chrono>
#include <string>

#include "client/core/formatting.h"
#include "client/core/vb_error.h"
#include "client/selection/doc_main.h"

// TB_VERSION_MAJOR, _MINOR and _PATCH come from the project version (CMakeLists.txt).

namespace tb {
namespace {

constexpr std::string_view kClockWestern = "yyyy年m月d日 h時n分s秒";
constexpr std::string_view kClockEra = "ggge年m月d日 h時n分s秒";

std::chrono::year_month_day Today(Host& host) {
  return std::chrono::year_month_day{std::chrono::floor<std::chrono::days>(host.Now())};
}

}  // namespace

// The steps run in order; from the server location on, a failing step is passed over
// and the next one runs. The first two steps are passed over too: a page whose version
// or address cannot be read still comes up, where the original handler would stop.
void DocMain::Timer1_Timer() {
  ResumeNext([&] { SetVersionCaption(); });                             // 1
  ResumeNext([&] { SetServerLocation(s_, host_.LocationUrl()); });      // 2
  ResumeNext([&] { SelectOption("optSyuusei"); });                      // 3
  ResumeNext([&] {                                                      // 4
    SetRowVisible(1, true);
    SetRowVisible(2, false);
    SetRowVisible(3, false);
    SetVisible("lblKara", false);
  });
  ResumeNext([&] { SetTodayInAllRows(); });                             // 5
  s_.gReportKind = 1;                                                   // 6
  ResumeNext([&] { ReadSettings(s_, host_); });                         // 7
  ResumeNext([&] { Ctl("lblTitle").caption = s_.gTitle; });            // 8
  ResumeNext([&] { ApplyYearStyle(); });                                // 9
  Ctl("Timer1").interval = 0;                                           // 10
  startedUp_ = true;
}

// "ver." + major "#" + "." + minor "00" + "." + revision "00": 1.0.113 gives ver.1.00.113.
void DocMain::SetVersionCaption() {
  Ctl("lblVersion").caption = "ver." + FormatNumber(TB_VERSION_MAJOR, "#") + "." +
                              FormatNumber(TB_VERSION_MINOR, "00") + "." +
                              FormatNumber(TB_VERSION_PATCH, "00");
}

// Today's date in every row; era-year labels hold 平成 years (their caption is fixed to
// 平成 and Run adds 1988 back). Row 1's month and day visible, rows 2 and 3 hidden; the
// year labels follow the year style (ApplyYearStyle).
void DocMain::SetTodayInAllRows() {
  const auto today = Today(host_);
  const int year = static_cast<int>(today.year());
  for (int row = 1; row <= 3; ++row) {
    Ctl(DateLabelId({row, DateField::kEraYear})).caption = std::to_string(HeiseiYear(year));
    Ctl(DateLabelId({row, DateField::kWesternYear})).caption = std::to_string(year);
    Ctl(DateLabelId({row, DateField::kMonth})).caption =
        std::to_string(static_cast<unsigned>(today.month()));
    Ctl(DateLabelId({row, DateField::kDay})).caption =
        std::to_string(static_cast<unsigned>(today.day()));
  }
  for (int row = 1; row <= 3; ++row) {
    SetVisible(DateLabelId({row, DateField::kMonth}), row == 1);
    SetVisible(DateLabelId({row, DateField::kDay}), row == 1);
  }
}

// Only row 1's year label of the current style shows.
void DocMain::ApplyYearStyle() {
  const bool western = s_.gWesternYear != 0;
  for (int row = 1; row <= 3; ++row) {
    SetVisible(DateLabelId({row, DateField::kWesternYear}), western && row == 1);
    SetVisible(DateLabelId({row, DateField::kEraYear}), !western && row == 1);
  }
}

void DocMain::timDate_Timer() {
  ResumeNext([&] {
    Ctl("lblDateDisp").caption =
        FormatDate(host_.Now(), s_.gWesternYear != 0 ? kClockWestern : kClockEra);
  });
}

}  // namespace tb
