#include "tools/reportforms/report_form.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "client/printing/paper_size.h"
#include "tools/fedtool/fed_json.h"
#include "tools/reportforms/form_builder.h"
#include "tools/reportforms/sheet_paper.h"

namespace reportforms {
namespace {

// Pen widths in 1/300 inch.
constexpr int kPenThin = 1;
constexpr int kPenMedium = 3;
constexpr int kPenFrame = 4;
// "X" format lengths in bytes: values arrive formatted ("1,234.5", "*", "1:30").
constexpr int kValueBytes = 16;
constexpr int kHeadingBytes = 2 * kHeadingChars;
// Page titles name several plant sections ("沈殿池(2系)・ろ過池(2系)・薬品注入(2系)・配水池(2系)").
constexpr int kTitleBytes = 64;
// A total sums up to 31 values: a yearly flow reaches "11,485,549.0" and more.
constexpr int kTotalChars = 13;
constexpr int kPeriodBytes = 64;  // era heading with the weather box is about 44 bytes

// Where the parts of one sheet lie, in 0.01 mm.
struct Sheet {
  SheetPaper p;
  int kind = 1, rows = 24;
  int left = 0, itemsLeft = 0, column = 0, right = 0;
  int bandTop = 0, bandBottom = 0, headingRow = 0, dataTop = 0, row = 0, bottom = 0;

  [[nodiscard]] int HeadingTop(int n) const { return bandBottom + n * headingRow; }
  [[nodiscard]] int RowTop(int k) const { return dataTop + (k - 1) * row; }  // k from 1
  [[nodiscard]] int ColumnLeft(int i) const { return itemsLeft + (i - 1) * column; }  // i from 1
  [[nodiscard]] Rect Cell(int i, int top, int height) const {
    return {ColumnLeft(i), top, ColumnLeft(i) + column, top + height};
  }
  [[nodiscard]] Rect LabelCell(int top, int height) const { return {left, top, itemsLeft, top + height}; }
};

Sheet Measure(int kind, std::string_view suffix) {
  Sheet s;
  s.p = SheetPaperFor(suffix);
  s.kind = kind;
  s.rows = PeriodRows(kind);
  const auto& lay = s.p.paper.layout;
  s.left = s.p.labelLeft;
  s.itemsLeft = lay.itemsLeft;
  s.column = s.p.ColumnWidth();
  s.right = s.p.ItemsRight();
  // The client draws the large headings and their separators in this band.
  s.bandTop = lay.groupLineTop;
  s.bandBottom = lay.groupLineBottom;
  s.headingRow = CharHeight(s.p.headingPoints) * 19 / 10;
  s.dataTop = s.HeadingTop(3);
  const int room = s.p.pageHeight - s.p.bottomMargin - s.dataTop;
  s.row = std::min(room / (s.rows + 4), CharHeight(s.p.valuePoints) * 3);  // yearly rows stay rows
  s.bottom = s.RowTop(s.rows + 5);
  return s;
}

const char* KindTitle(int kind) { return kind == 1 ? "日　報" : kind == 2 ? "月　報" : "年　報"; }

void Header(FormBuilder& f, const Sheet& s) {
  const int top = s.p.topMargin;
  const int titleH = CharHeight(s.p.titlePoints) * 13 / 10;
  const int periodH = CharHeight(s.p.periodPoints) * 13 / 10;
  const int gap = titleH / 4;
  // Seal boxes: the client draws each box from its title field down to five more title
  // heights, so six title heights must end above the band.
  const int sealH = (s.bandTop - top - 150) / 6 / 10 * 10;
  const int sealW = sealH * 4;
  const int sealLeft = s.right - 4 * sealW;
  const TextStyle seal{Face::kMincho, std::max(4, sealH * 70 / 3528), Align::kCentre};
  for (int n = 1; n <= 4; ++n) {
    const int l = sealLeft + (n - 1) * sealW;
    f.Field("NAME" + std::to_string(n), {l, top, l + sealW, top + sealH}, seal, kValueBytes, 0, true);
  }
  const int kindW = CharHeight(s.p.titlePoints) * 4;
  f.Text({s.left, top, s.left + kindW, top + titleH}, KindTitle(s.kind),
         {Face::kGothic, s.p.titlePoints, Align::kStart});
  // The longest title fits between the kind and the seal boxes: on narrow paper in a
  // smaller type.
  const Rect title{s.left + kindW + gap, top, sealLeft - gap, top + titleH};
  const int titlePoints = std::min(s.p.titlePoints, PointsToFit(title.Width(), kTitleBytes));
  f.Field("B_MIDASHI", title, {Face::kGothic, titlePoints, Align::kCentre}, kTitleBytes);
  const int top2 = top + titleH + gap;
  const int split = s.left + (sealLeft - s.left) * 70 / 100;
  f.Field("M_MIDASHI", {s.left, top2, split, top2 + periodH},
          {Face::kMincho, s.p.periodPoints, Align::kStart}, kPeriodBytes);
  f.Field("PAGE", {split, top2, sealLeft - gap, top2 + periodH},
          {Face::kMincho, s.p.periodPoints, Align::kEnd}, kValueBytes);
}

void HeadingRows(FormBuilder& f, const Sheet& s) {
  const TextStyle heading{Face::kMincho, s.p.headingPoints, Align::kCentre};
  f.Text(s.LabelCell(s.bandTop, s.bandBottom - s.bandTop), "大項目", heading);
  const char* const labels[] = {"中項目", "小項目", "単位"};
  const char* const names[] = {"M_KOMOKU", "S_KOMOKU", "TANI"};
  for (int n = 0; n < 3; ++n) {
    f.Text(s.LabelCell(s.HeadingTop(n), s.headingRow), labels[n], heading);
    // The M_KOMOKU fields span their whole columns: their left edges are the grid of the
    // large headings.
    for (int i = 1; i <= 15; ++i)
      f.Field(names[n] + std::to_string(i), s.Cell(i, s.HeadingTop(n), s.headingRow), heading,
              kHeadingBytes, 0, true);
  }
}

void ValueRows(FormBuilder& f, const Sheet& s) {
  const TextStyle label{Face::kMincho, s.p.valuePoints, Align::kCentre};
  const TextStyle value{Face::kMincho, s.p.valuePoints, Align::kEnd};
  const int inset = std::max(40, s.column / 25);
  for (int k = 1; k <= s.rows; ++k) {
    f.Field("LABEL" + std::to_string(k), s.LabelCell(s.RowTop(k), s.row), label, 8);
    for (int i = 1; i <= 15; ++i)
      f.Field("DATA" + std::to_string(i) + "_" + std::to_string(k), s.Cell(i, s.RowTop(k), s.row),
              value, kValueBytes, inset);
  }
  // Totals are wider than the values they sum: their type is as small as they need.
  TextStyle total = value;
  total.points = std::min(s.p.valuePoints, PointsToFit(s.column - 2 * inset, kTotalChars));
  const char* const labels[] = {"合計", "平均", "最大", "最小"};
  const char* const names[] = {"TOTAL_", "AVE_", "MAX_", "MIN_"};
  for (int n = 0; n < 4; ++n) {
    const int top = s.RowTop(s.rows + 1 + n);
    f.Text(s.LabelCell(top, s.row), labels[n], {Face::kGothic, s.p.valuePoints, Align::kCentre});
    for (int i = 1; i <= 15; ++i)
      f.Field(names[n] + std::to_string(i), s.Cell(i, top, s.row), n == 0 ? total : value, kValueBytes,
              inset);
  }
}

void Rules(FormBuilder& f, const Sheet& s) {
  f.Box({s.left, s.bandTop, s.right, s.bottom}, kPenFrame);
  auto across = [&](int y, int pen) { f.Line(s.left, y, s.right, y, pen); };
  across(s.bandBottom, kPenMedium);
  across(s.HeadingTop(1), kPenThin);
  across(s.HeadingTop(2), kPenThin);
  across(s.dataTop, kPenMedium);
  for (int k = 2; k <= s.rows + 4; ++k) across(s.RowTop(k), k == s.rows + 1 ? kPenMedium : kPenThin);
  // No item rules in the band: the client separates the groups of large headings there.
  f.Line(s.itemsLeft, s.bandTop, s.itemsLeft, s.bottom, kPenMedium);
  for (int i = 2; i <= 15; ++i) f.Line(s.ColumnLeft(i), s.bandBottom, s.ColumnLeft(i), s.bottom, kPenThin);
}

}  // namespace

int PeriodRows(int reportKind) {
  switch (reportKind) {
    case 1: return 24;
    case 2: return 31;
    case 3: return 12;
    default: throw std::invalid_argument("report kind must be 1, 2 or 3");
  }
}

nlohmann::ordered_json ReportFormJson(int reportKind, std::string_view suffix) {
  const Sheet s = Measure(reportKind, suffix);
  FormBuilder f(s.p.paper.paperCode, s.p.landscape);
  Rules(f, s);
  Header(f, s);
  HeadingRows(f, s);
  ValueRows(f, s);
  return f.Json();
}

namespace {

void WriteFile(const std::filesystem::path& file, std::string_view bytes) {
  auto temp = file;
  temp += ".writing";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
  }
  std::filesystem::rename(temp, file);
}

}  // namespace

void WriteReportForms(const std::filesystem::path& dir, const std::filesystem::path& jsonDir) {
  std::filesystem::create_directories(dir);
  if (!jsonDir.empty()) std::filesystem::create_directories(jsonDir);
  for (int kind = 1; kind <= 3; ++kind) {
    for (const auto suffix : SheetSuffixes()) {
      const auto json = ReportFormJson(kind, suffix);
      const auto bytes = fedtool::Compile(json);
      const std::string name = tb::print::FormFileName(kind, suffix);
      WriteFile(dir / name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
      if (!jsonDir.empty()) WriteFile(jsonDir / (name.substr(0, name.size() - 4) + ".json"), json.dump(1));
    }
  }
}

}  // namespace reportforms
