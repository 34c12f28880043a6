// Run (cmdJikkou_Click): the report description in the shared state, the page count, then
// the grid page (display mode) or the range print (print mode).
#include <array>
#include <string>

#include "client/core/formatting.h"
#include "client/core/messages.h"
#include "client/core/query_texts.h"
#include "client/core/vb_error.h"
#include "client/selection/doc_main.h"

namespace tb {
namespace {

struct KindTexts {
  std::string_view westernCaption, eraCaption, unit, progress;
};
constexpr std::array<KindTexts, 3> kKinds{{
    {"yyyy年 m月 d日 aaaa", "ggg e年 m月 d日 aaaa", "時", "日報ページ情報読込中・・・"},
    {"yyyy年 m月", "ggg e年 m月", "日", "月報ページ情報読込中・・・"},
    {"yyyy年度", "ggg e年度", "月", "年報ページ情報読込中・・・"},
}};

// A number as text with a leading blank when it is not negative (" 13", "-5").
std::string NumberWithSign(int n) { return n < 0 ? std::to_string(n) : " " + std::to_string(n); }

std::int16_t ToInt16(const std::string& text) {
  auto v = ParseInt16(text);
  if (!v) throw VbError(kErrTypeMismatch, kErrSource, kTypeMismatchText);
  return *v;
}

// A label's number, or 0 when it does not read as one.
template <class F>
int LabelOrZero(F&& read) {
  try {
    return read();
  } catch (const VbError&) {
    return 0;
  }
}

}  // namespace

void DocMain::cmdJikkou_Click() {
  host_.SetMousePointer(MousePointer::kHourglass);                      // 1
  RunPlan plan;
  try {
    plan = DescribeReport();                                            // 2
  } catch (const VbError& e) {
    ShowRunError(e.Number(), e.Source(), e.Description());
    return;
  } catch (const std::exception& e) {
    ShowRunError(5, kErrSource, e.what());
    return;
  }
  // 3: from here on a failing statement is passed over.
  ResumeNext([&] { host_.SetStatusText(plan.progressText); });          // 4
  ReadPageCount(plan.pageCountSql);                                     // 5
  if (DisplayMode())
    OpenGrid();                                                         // 6
  else
    PrintRange();                                                       // 7
}

// Step 2: everything Run writes about the kind and the date of row 1 (read in print mode
// too). Y is the western year; M and D are row 1's month and day.
DocMain::RunPlan DocMain::DescribeReport() {
  const int kind = s_.gReportKind;
  if (kind < 1 || kind > 3) throw VbError(kErrTypeMismatch, kErrSource, kTypeMismatchText);
  const KindTexts& texts = kKinds[kind - 1];
  s_.gDataTable = std::string(sql::DataTable(kind));
  const std::string y = std::to_string(RowYear(1));
  const std::string m = kind <= 2 ? Caption(DateLabelId({1, DateField::kMonth})) : "1";
  const std::string d = kind == 1 ? Caption(DateLabelId({1, DateField::kDay})) : "1";
  const auto period = DateFromLabels(y, m, d);
  // The key is written from the date read, so it never carries leading zeros.
  const char* keyPicture = kind == 1 ? "yyyy/m/d" : kind == 2 ? "yyyy/m" : "yyyy";
  s_.gDateKey = FormatDate(period, keyPicture);
  s_.gReportDate = period;
  s_.gDateCaption = FormatDate(period, s_.gWesternYear != 0 ? texts.westernCaption : texts.eraCaption);
  s_.gColumnCount = static_cast<std::int16_t>(
      kind == 1 ? 24 : kind == 2 ? DaysInMonth(static_cast<int>(period.year()),
                                               static_cast<int>(static_cast<unsigned>(period.month())))
                                 : 12);
  s_.gPeriodStart = kind == 1 ? s_.gDayStartHour : kind == 2 ? s_.gMonthStartDay : s_.gYearStartMonth;
  s_.gPeriodUnit = std::string(texts.unit);
  s_.gItemSql = sql::ItemQuery(kind);
  return {sql::PageCount(kind), std::string(texts.progress)};
}

// The error path of steps 1 and 2: "ｴﾗｰ番号  13TB_Client でｴﾗｰが発生しました。" CR
// description. Nothing has been queried or navigated.
void DocMain::ShowRunError(int number, std::string_view source, std::string_view description) {
  host_.SetMousePointer(MousePointer::kDefault);
  const std::string text = std::string(msg::kErrorNumberPrefix) + NumberWithSign(number) +
                           std::string(source) + std::string(msg::kErrorOccurred) + "\r" +
                           std::string(description);
  host_.MsgBox(text, MsgBoxButtons::kOk, msg::kCaptionConfirm);
}

// Step 5: gMaxPage from MAXP; a Null MAXP (no rows) or an unreachable database leaves it.
void DocMain::ReadPageCount(const std::string& sql) {
  bool opened = false;
  ResumeNext([&] { opened = OpenKanriQuery(s_, host_, sql, s_.gKanriRs); });
  if (!opened) return;
  ResumeNext([&] {
    if (const auto& maxp = s_.gKanriRs.Field("MAXP")) s_.gMaxPage = ToInt16(*maxp);
  });
  ResumeNext([&] { CloseKanriQuery(s_, s_.gKanriRs); });
}

// Step 6: the grid document; [KIND] FLG "0" in TBWeb.ini names the "bin" document.
void DocMain::OpenGrid() {
  ResumeNext([&] { host_.SetMousePointer(MousePointer::kDefault); });
  s_.gCurrentPage = 1;
  ResumeNext([&] {
    host_.Navigate(s_.gBaseUrl + (s_.gKindFlg == "0" ? "docGrid.bin" : "docGrid.vbd"));
  });
}

// Step 7: the range print, when one is installed.
void DocMain::PrintRange() {
  if (!rangePrinter_) {
    ResumeNext([&] { host_.SetMousePointer(MousePointer::kDefault); });
    return;
  }
  RangeLabels labels;
  labels.startYear = LabelOrZero([&] { return RowYear(2); });
  labels.startMonth = LabelOrZero([&] { return LabelNumber(Caption(DateLabelId({2, DateField::kMonth}))); });
  labels.startDay = LabelOrZero([&] { return LabelNumber(Caption(DateLabelId({2, DateField::kDay}))); });
  labels.endYear = LabelOrZero([&] { return RowYear(3); });
  labels.endMonth = LabelOrZero([&] { return LabelNumber(Caption(DateLabelId({3, DateField::kMonth}))); });
  labels.endDay = LabelOrZero([&] { return LabelNumber(Caption(DateLabelId({3, DateField::kDay}))); });
  ResumeNext([&] { rangePrinter_(s_, host_, labels); });
}

}  // namespace tb
