// The report sheets: every field the client fills exists once, and the geometry agrees
// with the client's paper layout values (read back the way the library reads fields).
#include "tools/reportforms/report_form.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "client/printing/paper_size.h"
#include "platform/codepage.h"
#include "tools/fedtool/fed_json.h"
#include "tools/reportforms/form_builder.h"
#include "tools/reportforms/sheet_paper.h"

namespace reportforms {
namespace {

struct FieldGeometry {
  int left, top, right, bottom, points;
  int formatBytes = 0;  // over the field's record and its continuations
  // Whether `halfWidthChars` single-byte characters of the field's type fit its width.
  [[nodiscard]] bool Holds(int halfWidthChars) const {
    return halfWidthChars * CharHeight(points) <= 2 * (right - left);
  }
};

// The data fields of the compiled form as the library reports them (0.01 mm).
std::map<std::string, FieldGeometry> FieldsOf(int kind, std::string_view suffix, int* records) {
  const auto bytes = fedtool::Compile(ReportFormJson(kind, suffix));
  const auto dump = fedtool::Dump(bytes);
  EXPECT_EQ(dump.error, 0);
  std::map<std::string, FieldGeometry> out;
  const auto& fields = dump.json["records"]["dataFields"];
  *records = static_cast<int>(fields.size());
  auto mm = [](int twips) { return twips * 1764 / 1000; };
  FieldGeometry* last = nullptr;
  for (const auto& f : fields) {
    const std::string name = f["name"].get<std::string>();
    if (name.empty()) {  // a format continuation
      if (last) last->formatBytes += f["formatLength"].get<int>();
      continue;
    }
    EXPECT_EQ(out.count(name), 0u) << name;
    const int x = f["x"].get<int>(), y = f["y"].get<int>();
    last = &(out[name] = {mm(x), mm(y), mm(x + f["width"].get<int>()), mm(y + f["height"].get<int>()),
                          f["size"].get<int>(), f["formatLength"].get<int>()});
  }
  return out;
}

std::vector<std::string> ExpectedNames(int kind) {
  std::vector<std::string> names = {"B_MIDASHI", "M_MIDASHI", "PAGE", "NAME1", "NAME2", "NAME3", "NAME4"};
  for (int k = 1; k <= PeriodRows(kind); ++k) names.push_back("LABEL" + std::to_string(k));
  for (int i = 1; i <= 15; ++i) {
    const std::string si = std::to_string(i);
    for (const char* p : {"M_KOMOKU", "S_KOMOKU", "TANI", "TOTAL_", "AVE_", "MAX_", "MIN_"}) names.push_back(p + si);
    for (int k = 1; k <= PeriodRows(kind); ++k) names.push_back("DATA" + si + "_" + std::to_string(k));
  }
  return names;
}

TEST(ReportForm, EverySheetHasTheClientsFieldsWhereThePaperLayoutPutsThem) {
  for (int kind = 1; kind <= 3; ++kind) {
    for (const auto suffix : SheetSuffixes()) {
      SCOPED_TRACE(std::to_string(kind) + " " + std::string(suffix));
      int records = 0;
      const auto fields = FieldsOf(kind, suffix, &records);
      EXPECT_LE(records * 92, 65535) << "the library loads at most 65,535 bytes of data fields";
      for (const auto& name : ExpectedNames(kind)) EXPECT_EQ(fields.count(name), 1u) << name;
      EXPECT_EQ(fields.size(), ExpectedNames(kind).size());

      const SheetPaper p = SheetPaperFor(suffix);
      const auto& lay = p.paper.layout;
      // The large-heading grid starts at itemsLeft (to the twip) and the item headings lie
      // right under the band of the large headings.
      EXPECT_NEAR(fields.at("M_KOMOKU1").left, lay.itemsLeft, 2);
      EXPECT_NEAR(fields.at("M_KOMOKU1").top, lay.groupLineBottom, 2);
      EXPECT_NEAR(fields.at("M_KOMOKU2").left - fields.at("M_KOMOKU1").left, p.ColumnWidth(), 2);
      // Values are printed in the type size the client uses for red and blue values.
      const auto& d = fields.at("DATA15_1");
      EXPECT_NEAR(d.bottom - d.top, lay.fontSize, lay.fontSize * 8 / 100);
      EXPECT_LE(d.right, p.pageWidth);
      EXPECT_LE(fields.at("MIN_15").bottom, p.pageHeight);
      // A seal box reaches five title heights below its title: it ends above the band.
      const auto& seal = fields.at("NAME4");
      EXPECT_LT(seal.bottom + 5 * (seal.bottom - seal.top), lay.groupLineTop);
      EXPECT_LE(seal.right, p.pageWidth);
    }
  }
}

// Texts as long as a plant's layout has them are printed whole and inside their fields: a
// page title naming four sections, an eight-character item heading, a yearly flow total.
TEST(ReportForm, LongTitlesHeadingsAndTotalsFitTheirFields) {
  const std::string title = "薬品注入(3系)・配水池(3系)・送水ポンプ(3系)・電力(3系)";
  const int titleBytes = static_cast<int>(platform::Utf8ToCp932(title).size());
  for (int kind = 1; kind <= 3; ++kind) {
    for (const auto suffix : SheetSuffixes()) {
      SCOPED_TRACE(std::to_string(kind) + " " + std::string(suffix));
      int records = 0;
      const auto fields = FieldsOf(kind, suffix, &records);
      const auto& b = fields.at("B_MIDASHI");
      EXPECT_GE(b.formatBytes, titleBytes);
      EXPECT_TRUE(b.Holds(b.formatBytes)) << b.points;
      for (const char* name : {"M_KOMOKU1", "S_KOMOKU15", "TANI7"}) {
        const auto& h = fields.at(name);
        EXPECT_GE(h.formatBytes, 2 * kHeadingChars) << name;
        // The smallest type (4 points) is the floor on the narrowest columns.
        if (h.points > 4) {
          EXPECT_TRUE(h.Holds(2 * kHeadingChars)) << name << " " << h.points;
        }
      }
      EXPECT_TRUE(fields.at("TOTAL_15").Holds(static_cast<int>(std::string("11,485,549.0").size())));
      // The other summaries keep the type of the values beside them.
      EXPECT_EQ(fields.at("MAX_1").points, fields.at("DATA1_1").points);
    }
  }
}

// The period rows stand under the item headings and above the summaries, evenly one under
// the other, each beside its label.
TEST(ReportForm, PeriodRowsStandInOrderBetweenHeadingsAndSummaries) {
  for (int kind = 1; kind <= 3; ++kind) {
    for (const auto suffix : SheetSuffixes()) {
      SCOPED_TRACE(std::to_string(kind) + " " + std::string(suffix));
      int records = 0;
      const auto fields = FieldsOf(kind, suffix, &records);
      const int rows = PeriodRows(kind);
      for (int i : {1, 15}) {
        const std::string si = std::to_string(i);
        const auto& first = fields.at("DATA" + si + "_1");
        EXPECT_GE(first.top, fields.at("TANI" + si).bottom - 2);
        const int step = fields.at("DATA" + si + "_2").top - first.top;
        EXPECT_GE(step, first.bottom - first.top);
        for (int k = 1; k < rows; ++k) {
          const auto& above = fields.at("DATA" + si + "_" + std::to_string(k));
          const auto& below = fields.at("DATA" + si + "_" + std::to_string(k + 1));
          EXPECT_NEAR(below.top - above.top, step, 2) << "row " << k;
          EXPECT_NEAR(fields.at("LABEL" + std::to_string(k)).top, above.top, 2) << "row " << k;
        }
        EXPECT_LE(fields.at("DATA" + si + "_" + std::to_string(rows)).bottom,
                  fields.at("TOTAL_" + si).top + 2);
      }
    }
  }
}

// Each row of cells has a rule along its top, and each item column one at its left that
// reaches the sheet's bottom: the first from the top of the heading band, the others from
// below it, where the large headings run.
TEST(ReportForm, EveryRowAndItemColumnIsRuled) {
  for (int kind = 1; kind <= 3; ++kind) {
    for (const auto suffix : SheetSuffixes()) {
      SCOPED_TRACE(std::to_string(kind) + " " + std::string(suffix));
      int records = 0;
      const auto fields = FieldsOf(kind, suffix, &records);
      const auto dump = fedtool::Dump(fedtool::Compile(ReportFormJson(kind, suffix)));
      std::vector<std::array<int, 3>> rules;  // x, top, bottom in 0.01 mm
      std::vector<int> across;                // the heights of the horizontal rules
      for (const auto& l : dump.json["records"]["lines"]) {
        auto mm = [](int twips) { return twips * 1764 / 1000; };
        if (l["y1"] == l["y2"]) across.push_back(mm(l["y1"].get<int>()));
        if (l["x1"] != l["x2"]) continue;
        rules.push_back({mm(l["x1"].get<int>()), mm(std::min(l["y1"].get<int>(), l["y2"].get<int>())),
                         mm(std::max(l["y1"].get<int>(), l["y2"].get<int>()))});
      }
      std::sort(rules.begin(), rules.end());
      std::sort(across.begin(), across.end());
      // A rule runs above every row of cells below the band, between it and the row before.
      std::vector<std::string> column = {"M_KOMOKU1", "S_KOMOKU1", "TANI1"};
      for (int k = 1; k <= PeriodRows(kind); ++k) column.push_back("DATA1_" + std::to_string(k));
      for (const char* summary : {"TOTAL_1", "AVE_1", "MAX_1", "MIN_1"}) column.emplace_back(summary);
      ASSERT_EQ(across.size(), column.size());
      for (std::size_t n = 0; n < column.size(); ++n) {
        EXPECT_LE(across[n], fields.at(column[n]).top + 2) << column[n];
        if (n > 0) EXPECT_GE(across[n], fields.at(column[n - 1]).bottom - 2) << column[n];
      }
      ASSERT_EQ(rules.size(), 15u);
      const int bottom = rules[0][2];
      for (int i = 1; i <= 15; ++i) {
        const auto& rule = rules[static_cast<std::size_t>(i - 1)];
        const auto& item = fields.at("DATA" + std::to_string(i) + "_1");
        EXPECT_LE(rule[0], item.left + 2) << "item " << i;
        if (i > 1) EXPECT_GE(rule[0], fields.at("DATA" + std::to_string(i - 1) + "_1").right - 2) << "item " << i;
        EXPECT_EQ(rule[2], bottom) << "item " << i;
        EXPECT_LE(rule[1], fields.at("TANI" + std::to_string(i)).top) << "item " << i;
      }
      EXPECT_LT(rules[0][1], rules[1][1]) << "the first rule starts above the band";
    }
  }
}

// The forms of every kind and sheet are written under the names the client opens, each
// with its editable description beside it.
TEST(ReportForm, EveryKindAndSheetIsWritten) {
  const auto dir = std::filesystem::temp_directory_path() / ("reportforms_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  WriteReportForms(dir / "forms", dir / "json");
  std::set<std::string> expected, written;
  for (int kind = 1; kind <= 3; ++kind) {
    for (const auto suffix : SheetSuffixes()) {
      const std::string name = tb::print::FormFileName(kind, suffix);
      expected.insert("forms/" + name);
      expected.insert("json/" + name.substr(0, name.size() - 4) + ".json");
    }
  }
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
    if (!e.is_regular_file()) continue;
    written.insert(std::filesystem::relative(e.path(), dir).string());
    EXPECT_GT(e.file_size(), 0u) << e.path();
  }
  EXPECT_EQ(written, expected);
  std::filesystem::remove_all(dir);
}

TEST(ReportForm, PaperAndOrientationOfTheFormFile) {
  // The form file's orientation code: 1 landscape, other portrait.
  const struct { std::string_view suffix; int paper, orientation; } rows[] = {
      {"A3", 8, 1}, {"A4", 9, 1}, {"B4", 12, 1}, {"B5", 13, 1}, {"10", 45, 2}};
  for (const auto& r : rows) {
    const auto j = ReportFormJson(1, r.suffix);
    EXPECT_EQ(j["paperSize"], r.paper) << r.suffix;
    EXPECT_EQ(j["orientation"], r.orientation) << r.suffix;
  }
  EXPECT_THROW((void)ReportFormJson(1, "15"), std::invalid_argument);  // prints on B4
  EXPECT_THROW((void)ReportFormJson(4, "A3"), std::invalid_argument);
}

}  // namespace
}  // namespace reportforms
