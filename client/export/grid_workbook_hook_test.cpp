// The grid page's Excel button as a person uses it: the dialog with its two choices, the
// whole period or the page on show, progress, cancelling, a database fault.
#include "client/export/grid_workbook_hook.h"

#include <gtest/gtest.h>

#include "client/export/export_test_share.h"

namespace tb::workbook {
namespace {

using namespace std::chrono;
using testing::At;
using testing::ReadWorkbook;
namespace fs = std::filesystem;

class GridWorkbookButton : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallGridWorkbookHook();
    testing::FillDailyShare(share);
    share.ReadInto(s, host);
    testing_share::SetReport(s, 1, 2026y / 12 / 8, 5, /*page=*/2);
    doc = std::make_unique<DocGrid>(s, host);
    FireTimers(*doc);
  }
  void Click() { ASSERT_TRUE(doc->Handle({UiEvent::Kind::kClick, "cmdExcel"})); }

  testing::Share share{8, 1, 4, 1};
  ClientState s;
  ScriptedHost host;
  std::unique_ptr<DocGrid> doc;
  fs::path file = share.Root() / "book.xlsx";
};

TEST_F(GridWorkbookButton, WritesTheWholePeriodAndLeavesThePageAsItWas) {
  host.saveAnswers.push_back(file.string());
  host.statusTexts.clear();
  Click();
  ASSERT_EQ(host.saveRequests.size(), 1u);
  const auto& r = host.saveRequests[0];
  EXPECT_EQ(r.title, "Excelブック出力");
  EXPECT_EQ(r.filter, "*.xlsx");
  EXPECT_EQ(r.defaultExt, "xlsx");
  EXPECT_EQ(r.fileName, "26120802.xlsx");
  EXPECT_EQ(r.choices, (std::vector<std::string>{"期間の全ページ", "このページのみ"}));
  EXPECT_EQ(host.statusTexts, (std::vector<std::string>{"Excel出力中・・・ 1/5", "Excel出力中・・・ 2/5",
                                                        "Excel出力中・・・ 3/5", "Excel出力中・・・ 4/5",
                                                        "Excel出力中・・・ 5/5", ""}));
  EXPECT_EQ(host.pointers.back(), MousePointer::kDefault);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(ReadWorkbook(file)["sheets"].size(), 5u);
  // The page on show is still page 2, its grid and column kinds unchanged.
  EXPECT_EQ(doc->Controls()["lblPage"].caption, "2/5");
  EXPECT_EQ(doc->Grid().TextMatrix(4, 1), "3");
  EXPECT_EQ(s.gCurrentPage, 2);
  EXPECT_EQ(s.gColPattern[1], "0");
}

TEST_F(GridWorkbookButton, ThisPageOnlyWritesThePageAsShown) {
  doc->Grid().SetTextMatrix(5, 1, "42");  // what the page shows, not what a new load reads
  host.saveAnswers.push_back(file.string());
  host.saveChoices.push_back(1);
  Click();
  const auto wb = ReadWorkbook(file);
  ASSERT_EQ(wb["sheets"].size(), 1u);
  EXPECT_EQ(wb["sheets"][0]["name"].get<std::string>().substr(0, 2), "2 ");
  EXPECT_EQ(At(wb["sheets"][0], "B8")["v"], 3);
  EXPECT_EQ(At(wb["sheets"][0], "B9")["v"], 42);
}

TEST_F(GridWorkbookButton, CancelWritesNothing) {
  Click();  // empty answer queue: cancelled
  EXPECT_FALSE(fs::exists(file));
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(GridWorkbookButton, ADatabaseFaultIsShownAndNothingWritten) {
  fs::remove(share.Data());
  host.saveAnswers.push_back(file.string());
  Click();
  EXPECT_EQ(host.MessageTexts(), (std::vector<std::string>{"テーブルのアクセス異常"}));
  EXPECT_EQ(host.messages[0].caption, "確認");
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(host.statusText, "");
  EXPECT_EQ(host.pointer, MousePointer::kDefault);
}

}  // namespace
}  // namespace tb::workbook
