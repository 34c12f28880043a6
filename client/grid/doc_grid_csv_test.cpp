// The CSV export: whole files compared byte for byte, the proposed names, cancelling.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "client/grid/doc_grid.h"
#include "client/grid/grid_test_share.h"
#include "platform/codepage.h"

namespace tb {
namespace {

using namespace std::chrono;

std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One grid line: the given leading cells, then empty cells up to 16, each quoted and
// followed by a comma.
std::string Line(std::vector<std::string> cells) {
  cells.resize(16);
  std::string out;
  for (const auto& c : cells) out += "\"" + c + "\",";
  return out + "\r\n";
}

class GridCsv : public testing::Test {
 protected:
  void SetUp() override {
    share.AddTag({7, "水量", "A", "内\"外", "m3", "0.0", 0});
    share.Place(3, 1, 2, 7);
    share.Title(3, 1, "年報タイトル");
    share.Put(3, "2026", 7, {{"1", "2.25", "*"}, "10", std::nullopt, "2.25", "1"});
    share.ReadInto(s, host);
    testing_share::SetReport(s, 3, 2026y / 1 / 1, 1);
    doc = std::make_unique<DocGrid>(s, host);
    FireTimers(*doc);
  }
  testing_share::Share share{1, 1, 4};  // yearly rows start in April
  ClientState s;
  ScriptedHost host;
  std::unique_ptr<DocGrid> doc;
};

TEST_F(GridCsv, WritesTheWholePageInCp932) {
  const auto path = share.Root() / "out.csv";
  {
    std::ofstream old(path);
    old << std::string(5000, 'x');  // an existing, longer file is replaced
  }
  host.saveAnswers.push_back(path.string());
  ASSERT_TRUE(doc->Handle({UiEvent::Kind::kClick, "cmdOut"}));

  std::string expected = "年報タイトル\r\n2026年度\r\n";
  expected += Line({"", "", "水量"}) + Line({"", "", "A"}) + Line({"", "", "内\"\"外"}) +
              Line({"月", "", "m3"});
  const char* labels[] = {"4", "5", "6", "7", "8", "9", "10", "11", "12", "1", "2", "3"};
  const char* values[] = {"1.0", "2.3", "*"};
  for (int i = 0; i < 12; ++i) expected += Line({labels[i], "", i < 3 ? values[i] : ""});
  expected += Line({"合計", "", "10.0"}) + Line({"平均"}) + Line({"最大", "", "2.3"}) +
              Line({"最小", "", "1.0"});
  EXPECT_EQ(ReadFile(path), platform::Utf8ToCp932(expected));
  EXPECT_EQ(ReadFile(path).substr(0, 2), "\x94\x4e");  // 年 in CP932

  ASSERT_EQ(host.saveRequests.size(), 1u);
  EXPECT_EQ(host.saveRequests[0].title, "CSVファイル出力");
  EXPECT_EQ(host.saveRequests[0].filter, "*.csv");
  EXPECT_EQ(host.saveRequests[0].defaultExt, "csv");
  EXPECT_EQ(host.saveRequests[0].fileName, "2601.csv");
  EXPECT_EQ(host.pointer, MousePointer::kDefault);
  EXPECT_TRUE(doc->Controls()["grdGrid"].visible);
}

TEST_F(GridCsv, CancelWritesNothingAndUnwritablePathIsSilent) {
  doc->Handle({UiEvent::Kind::kClick, "cmdOut"});  // empty answer queue: cancelled
  EXPECT_TRUE(host.pointers.empty());
  host.saveAnswers.push_back((share.Root() / "no" / "such" / "dir.csv").string());
  doc->Handle({UiEvent::Kind::kClick, "cmdOut"});
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(doc->Controls()["grdGrid"].visible);
  EXPECT_FALSE(std::filesystem::exists(share.Root() / "no"));
}

struct NameCase {
  int kind;
  year_month_day date;
  int page;
  std::string name;
};

TEST(GridCsvName, PerKind) {
  for (const auto& c : {NameCase{1, 2003y / 4 / 1, 3, "03040103.csv"},
                        NameCase{2, 2003y / 4 / 1, 3, "030403.csv"},
                        NameCase{3, 2003y / 1 / 1, 3, "0303.csv"},
                        NameCase{1, 2026y / 12 / 31, 12, "26123112.csv"}}) {
    ClientState s;
    ScriptedHost host;
    testing_share::SetReport(s, c.kind, c.date, 20, c.page);
    DocGrid doc(s, host);
    EXPECT_EQ(doc.DefaultCsvName(), c.name);
  }
}

}  // namespace
}  // namespace tb
