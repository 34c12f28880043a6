// The report sheets: every field the client fills exists once, and the geometry agrees
// with the client's paper layout values (read back the way the library reads fields).
#include "tools/reportforms/report_form.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "client/printing/paper_size.h"
#include "tools/fedtool/fed_json.h"
#include "tools/reportforms/sheet_paper.h"

namespace reportforms {
namespace {

struct FieldGeometry {
  int left, top, right, bottom, points;
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
  for (const auto& f : fields) {
    const std::string name = f["name"].get<std::string>();
    if (name.empty()) continue;  // a format continuation
    EXPECT_EQ(out.count(name), 0u) << name;
    const int x = f["x"].get<int>(), y = f["y"].get<int>();
    out[name] = {mm(x), mm(y), mm(x + f["width"].get<int>()), mm(y + f["height"].get<int>()),
                 f["size"].get<int>()};
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
