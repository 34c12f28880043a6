#include "client/web/state_json.h"

#include <gtest/gtest.h>

#include "client/core/scripted_host.h"
#include "client/grid/flex_grid.h"
#include "client/selection/doc_main.h"
#include "client/web/event_check.h"

namespace tb::web {
namespace {

// A document with one grid: 3 rows (1 fixed) x 4 columns (1 fixed).
class GridDoc : public Document {
 public:
  GridDoc() {
    grid.SetRows(3);
    grid.SetCols(4);
    Control c;
    c.name = "grdGrid";
    c.kind = ControlKind::kGrid;
    c.grid = &grid;
    controls_.Add(c);
  }
  std::string_view Name() const override { return "docGrid"; }
  int Width() const override { return 1000; }
  int Height() const override { return 1000; }
  bool Handle(const UiEvent&) override { return true; }
  FlexGrid grid;
};

TEST(StateJsonTest, GridCellsColoursAndMergedHeadings) {
  GridDoc doc;
  doc.grid.SetTextMatrix(0, 1, "ボイラ");
  doc.grid.SetTextMatrix(0, 2, "ボイラ");
  doc.grid.SetMergeCells(FlexMerge::kRestrictColumns);
  doc.grid.SetMergeRow(0, true);
  doc.grid.SetTextMatrix(2, 3, "1,234.5");
  doc.grid.SetCellForeColour(2, 3, kRed);
  doc.grid.SetCellBackColour(2, 3, Rgb(235, 255, 255));
  auto j = DocumentJson(doc);
  const auto& g = j["controls"][0]["grid"];
  EXPECT_EQ(g["rows"], 3);
  EXPECT_EQ(g["cols"], 4);
  EXPECT_EQ(g["cells"][2][3][0], "1,234.5");
  EXPECT_EQ(g["cells"][2][3][2], "#ff0000");
  EXPECT_EQ(g["cells"][2][3][3], "#ebffff");
  EXPECT_TRUE(g["cells"][1][1][2].is_null()) << "default colour";
  ASSERT_TRUE(g["spans"].contains("0"));
  EXPECT_EQ(g["spans"]["0"], nlohmann::json::parse("[[0,0],[1,2],[3,3]]"));
  EXPECT_FALSE(g["spans"].contains("1")) << "rows without joined cells carry no spans";
}

TEST(StateJsonTest, ColoursAreWindowsByteOrder) {
  EXPECT_EQ(CssColour(Rgb(192, 255, 255)), "#c0ffff");
  EXPECT_EQ(CssColour(Rgb(0, 0, 128)), "#000080");
}

// The browser moves its focus to the control the page's handler chose (Run after a kind
// click, so that Enter runs the report).
TEST(StateJsonTest, CarriesTheControlThePageFocused) {
  ClientState state;
  ScriptedHost host;
  DocMain page(state, host);
  EXPECT_EQ(DocumentJson(page)["focus"], "");
  page.optGeppou_Click();
  EXPECT_EQ(DocumentJson(page)["focus"], "cmdJikkou");
  EXPECT_EQ(DocumentJson(GridDoc())["focus"], "") << "pages without a focus of their own";
}

TEST(EventCheckTest, GridCellsInsideTheGridOnly) {
  GridDoc doc;
  struct {
    UiEvent e;
    bool ok;
  } cases[] = {
      {{UiEvent::Kind::kClick, "grdGrid", 0, {}, 2, 3}, true},
      {{UiEvent::Kind::kCellSelect, "grdGrid", 0, {}, 1, 1}, true},
      {{UiEvent::Kind::kClick, "grdGrid", 0, {}, 1, 0}, true},  // the label column
      {{UiEvent::Kind::kClick, "grdGrid", 0, {}, 3, 0}, false},
      {{UiEvent::Kind::kDblClick, "grdGrid", 0, {}, 0, 4}, false},
      {{UiEvent::Kind::kTextChange, "grdGrid", 0, "x", 0, 0}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CheckEvent(doc, false, c.e).empty(), c.ok) << c.e.row << "," << c.e.col;
  doc.grid.SetVisible(false);
  EXPECT_FALSE(CheckEvent(doc, false, {UiEvent::Kind::kClick, "grdGrid", 0, {}, 1, 1}).empty());
}

TEST(EventCheckTest, ParsesOnlyWellFormedEvents) {
  std::string why;
  auto e = ParseBrowserEvent(R"({"page":3,"doc":"frmTenkey","kind":"keypress","control":"","key":13})", &why);
  ASSERT_TRUE(e) << why;
  EXPECT_EQ(e->page, 3);
  EXPECT_EQ(e->event.kind, UiEvent::Kind::kKeyPress);
  EXPECT_EQ(e->event.keyAscii, 13);
  e = ParseBrowserEvent(R"({"page":1,"doc":"docGrid","kind":"click","control":"grdGrid","row":0,"col":0})", &why);
  ASSERT_TRUE(e) << "the first cell: " << why;
  EXPECT_EQ(std::pair(e->event.row, e->event.col), std::pair(0, 0));
  for (const char* bad : {R"({"doc":"docMain","kind":"click"})", R"({"page":1,"kind":"click"})",
                          R"({"page":1,"doc":"docMain","kind":"timer"})",
                          R"({"page":1,"doc":"docMain","kind":"click","row":-1})",
                          R"({"page":1,"doc":"docMain","kind":"click","key":70000})", "\xff\xfe", "null"})
    EXPECT_FALSE(ParseBrowserEvent(bad, &why)) << bad;
}

TEST(EventCheckTest, ParsesOnlyWellFormedAnswers) {
  auto box = ParseBrowserAnswer(R"({"kind":"msgbox","id":4,"button":"no"})");
  ASSERT_TRUE(box);
  EXPECT_EQ(box->kind, BrowserAnswer::Kind::kMsgBox);
  EXPECT_EQ(box->id, 4u);
  EXPECT_EQ(box->button, MsgBoxResult::kNo);
  auto save = ParseBrowserAnswer(R"({"kind":"save","id":7,"name":"日報.csv"})");
  ASSERT_TRUE(save && save->name);
  EXPECT_EQ(*save->name, "日報.csv");
  EXPECT_EQ(save->choice, 0);  // no choice sent: the first option
  auto chosen = ParseBrowserAnswer(R"({"kind":"save","id":7,"name":"a.pdf","choice":2})");
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->choice, 2);
  for (const char* odd : {R"({"kind":"save","id":7,"name":"a","choice":64})",
                          R"({"kind":"save","id":7,"name":"a","choice":-1})",
                          R"({"kind":"save","id":7,"name":"a","choice":"1"})"}) {
    const auto a = ParseBrowserAnswer(odd);
    ASSERT_TRUE(a) << odd;
    EXPECT_EQ(a->choice, -1) << odd;  // which the session refuses
  }
  auto cancel = ParseBrowserAnswer(R"({"kind":"save","id":7,"name":null})");
  ASSERT_TRUE(cancel);
  EXPECT_FALSE(cancel->name);
  for (const char* bad : {R"({"kind":"msgbox","id":-1,"button":"ok"})", R"({"kind":"msgbox","id":1})",
                          R"({"kind":"msgbox","id":1,"button":"cancel"})", R"({"kind":"save","id":1})",
                          R"({"kind":"save","id":1,"name":5})", R"({"kind":"open","id":1})",
                          R"({"id":1.5,"kind":"msgbox","button":"ok"})", "[]", "{"})
    EXPECT_FALSE(ParseBrowserAnswer(bad)) << bad;
}

}  // namespace
}  // namespace tb::web
