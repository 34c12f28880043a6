#include "client/printing/page_fill.h"

#include "client/core/formatting.h"
#include "client/printing/layout_queries.h"
#include "client/printing/value_text.h"
#include "platform/codepage.h"

namespace tb::print {
namespace {

constexpr std::int32_t kColourBlack = 0;
constexpr int kFaceMincho = 1;
constexpr int kDirectionHorizontal = 1;
constexpr int kAlignRight = 2;

std::string Cp(std::string_view utf8) { return platform::Utf8ToCp932(utf8); }

std::string RowLabel(int kind, int v) {
  if (kind != 1) return std::to_string(v);
  return (v > 9 ? std::to_string(v) : "0" + std::to_string(v)) + ":00";
}

}  // namespace

void OpenLayoutQuery(ClientState& s, Host& host, std::string_view sql, db::Recordset& rs) {
  if (!OpenKanriQuery(s, host, sql, rs)) throw db::DbError("the layout database cannot be read");
}

std::string WithWeatherBox(std::string heading, const ClientState& s) {
  if (s.gReportKind == 1 && s.gTenkiFlg != 0) heading += " 天候（        ）";
  return heading;
}

std::string RangePeriodHeading(const ClientState& s, std::chrono::year_month_day d) {
  const bool era = s.gWesternYear == 0;
  const char* picture = s.gReportKind == 1   ? (era ? "ggg e年 m月 d日 aaaa" : "yyyy年 m月 d日 aaaa")
                        : s.gReportKind == 2 ? (era ? "ggg e年 m月" : "yyyy年 m月")
                                             : (era ? "ggg e年度" : "yyyy年度");
  return WithWeatherBox(FormatDate(d, picture), s);
}

PageFiller::PageFiller(const FmDrawApi& api, ClientState& s, Host& host, const PaperLayout& layout)
    : api_(api), s_(s), host_(host), layout_(layout) {}

void PageFiller::Field(std::string_view name, std::string_view utf8Value) {
  api_.FmPrintDataField(std::string(name).c_str(), Cp(utf8Value).c_str(), S());
}

void PageFiller::FieldRect(std::string_view name) {
  std::array<std::int32_t, 4> r = rect_;
  if (api_.FmGetFieldInfo(1, std::string(name).c_str(), r.data(), S()) == 0) rect_ = r;
}

void PageFiller::Header(const PageHeader& h) {
  api_.FmSetLong(5, 1, S());  // over-long texts are cut, not refused
  if (!(h.skipEmptyTitle && h.pageTitle.empty())) Field("B_MIDASHI", h.pageTitle);
  Field("M_MIDASHI", h.periodHeading);
  Field("PAGE", std::to_string(h.page) + "/" + std::to_string(h.maxPage));
  api_.FmSetLong(10, kColourBlack, S());
  api_.FmSetLine(0, 10, S());
  api_.FmSetPattern(1, S());
}

void PageFiller::SealBoxes(int page) {
  if (!(page == 1 || s_.gInkanFlg == 0)) return;
  if (s_.gInkanCount < 1 || s_.gInkanCount > 4) return;
  const std::array<const std::string*, 4> names = {&s_.gInkanName1, &s_.gInkanName2,
                                                   &s_.gInkanName3, &s_.gInkanName4};
  for (int n = s_.gInkanCount; n >= 1; --n) {
    const std::string field = "NAME" + std::to_string(n);
    Field(field, *names[static_cast<std::size_t>(n - 1)]);
    FieldRect(field);
    const auto [l, t, r, b] = rect_;
    api_.FmPrintBox(l, t, r, b + 5 * (b - t), 0, S());  // the title and room for the stamp
    api_.FmPrintLine(l, b, r, b, S());
  }
}

void PageFiller::RowLabels() {
  int v = s_.gPeriodStart;
  for (int k = 1; k <= s_.gColumnCount; ++k) {
    Field("LABEL" + std::to_string(k), RowLabel(s_.gReportKind, v));
    if (++v > s_.gColumnCount) v = 1;
  }
}

void PageFiller::MarkedText(int item, int row, std::string_view text, Colour colour) {
  FieldRect("DATA" + std::to_string(item) + "_" + std::to_string(row));
  const auto [l, t, r, b] = rect_;
  (void)b;
  api_.FmSetLong(10, static_cast<std::int32_t>(colour), S());
  api_.FmSetFont(layout_.fontSize, layout_.fontSize, kFaceMincho, 0, 0, S());
  api_.FmPrintText(l, t, r - l, kDirectionHorizontal, kAlignRight, Cp(text).c_str(), S());
}

void PageFiller::ItemValues(int item, const ItemFormat& f) {
  const auto& rs = s_.gDataRs;
  const db::Value& max = rs.Field("MAX");
  const db::Value& min = rs.Field("MIN");
  bool seenBelowMax = false;
  for (int k = 1; k <= s_.gColumnCount; ++k) {
    const db::Value& v = rs.Field("DATA_" + std::to_string(k));
    if (!v || v->empty()) continue;
    const auto text = ValueText(*v, f);
    if (max && *v == *max) {
      if (text) MarkedText(item, k, *text, kRed);
      continue;
    }
    seenBelowMax = true;
    if (min && *v == *min) {
      if (text) MarkedText(item, k, *text, kBlue);
    } else if (text) {
      Field("DATA" + std::to_string(item) + "_" + std::to_string(k), *text);
    }
  }
  if (seenBelowMax) return;
  // Every value equals the maximum: a constant row is not a maximum, draw it black.
  for (int k = 1; k <= s_.gColumnCount; ++k) {
    const db::Value& v = rs.Field("DATA_" + std::to_string(k));
    if (!v || v->empty()) continue;
    if (const auto text = ValueText(*v, f)) MarkedText(item, k, *text, kBlack);
  }
}

void PageFiller::Summaries(int item, const ItemFormat& f) {
  static constexpr std::array<std::pair<const char*, const char*>, 4> kSummaries = {
      {{"TOTAL", "TOTAL_"}, {"AVE", "AVE_"}, {"MAX", "MAX_"}, {"MIN", "MIN_"}}};
  for (const auto& [column, field] : kSummaries) {
    const db::Value& v = s_.gDataRs.Field(column);
    if (!v || v->empty()) continue;
    if (const auto text = SummaryText(*v, f)) Field(field + std::to_string(item), *text);
  }
}

void PageFiller::ItemsFromDatabase(LayoutQueries& layout) {
  slots_.fill({});
  db::Recordset items;
  layout.Run(s_.gPageSql, items);
  ItemRows(items);  // a database error ends the job, which closes the layout connection
  items.Close();
}

void PageFiller::ItemRows(db::Recordset& items) {
  for (; !items.Eof(); items.MoveNext()) {
    host_.DoEvents();
    const auto itemNo = ParseInt16(items.Field("項目NO").value_or(""));
    if (!itemNo || *itemNo < 1 || *itemNo > 15) continue;
    const int i = *itemNo;
    auto text = [&](const char* col) { return items.Field(col).value_or(""); };
    slots_[static_cast<std::size_t>(i - 1)] = text("BIGN");
    Field("M_KOMOKU" + std::to_string(i), text("MIDN"));
    Field("S_KOMOKU" + std::to_string(i), text("SMLN"));
    Field("TANI" + std::to_string(i), text("TANN"));
    auto& rs = s_.gDataRs;
    if (rs.RecordCount() == 0) continue;
    rs.MoveFirst();
    if (!rs.Find("TAG_ID = " + text("TAG_ID"))) continue;
    const ItemFormat f{ParseInt16(text("P種別")).value_or(0), text("有効桁"), s_.gKetaFlg};
    ItemValues(i, f);
    Summaries(i, f);
  }
}

void PageFiller::ItemsFromGrid(GridPageView& grid) {
  slots_.fill({});
  grid.SetGridVisible(false);
  const int n = s_.gColumnCount;
  for (int i = 1; i <= 15; ++i) {
    const std::string si = std::to_string(i);
    ResumeNext([&] { slots_[static_cast<std::size_t>(i - 1)] = grid.CellText(0, i); });
    ResumeNext([&] { Field("M_KOMOKU" + si, grid.CellText(1, i)); });
    ResumeNext([&] { Field("S_KOMOKU" + si, grid.CellText(2, i)); });
    ResumeNext([&] { Field("TANI" + si, grid.CellText(3, i)); });
    for (int k = 1; k <= n; ++k) {
      ResumeNext([&] {
        const Colour c = grid.CellForeColour(k + 3, i);
        const std::string text = grid.CellText(k + 3, i);
        if (c == kRed || c == kBlue) MarkedText(i, k, text, c);
        else Field("DATA" + si + "_" + std::to_string(k), text);
      });
    }
    ResumeNext([&] { Field("TOTAL_" + si, grid.CellText(n + 4, i)); });
    ResumeNext([&] { Field("AVE_" + si, grid.CellText(n + 5, i)); });
    ResumeNext([&] { Field("MAX_" + si, grid.CellText(n + 6, i)); });
    ResumeNext([&] { Field("MIN_" + si, grid.CellText(n + 7, i)); });
  }
  grid.SetGridVisible(true);
}

}  // namespace tb::print
