#include "client/core/query_texts.h"

#include <gtest/gtest.h>

namespace tb::sql {
namespace {

// The daily item query exactly as documented: sixteen literals joined without anything
// between them.
constexpr const char* kDailyItemQuery =
    "SELECT 日報情報.*,"
    "M_TAG.大項目NO,M_TAG.中項目NO,M_TAG.小項目NO, "
    "M_TAG.単位NO,M_TAG.TOTAL_FLG,M_TAG.AVE_FLG, "
    "M_TAG.有効桁,M_TAG.最大値,M_TAG.最小値, "
    "M_TAG.MAX_FLG,M_TAG.MIN_FLG,M_TAG.種別, "
    "M_TAG.P種別, "
    "大項目情報.名称 AS BIGN, "
    "中項目情報.名称 AS MIDN, "
    "小項目情報.名称 AS SMLN, "
    "M_UNIT.名称 AS TANN "
    "FROM M_TAG,日報情報,大項目情報,中項目情報,小項目情報,M_UNIT "
    "WHERE 日報情報.TAG_ID = M_TAG.TAG_ID AND "
    "      M_TAG.大項目NO = 大項目情報.大項目NO AND "
    "      M_TAG.中項目NO = 中項目情報.中項目NO AND "
    "      M_TAG.小項目NO = 小項目情報.小項目NO AND "
    "      M_TAG.単位NO = M_UNIT.単位NO ";

std::string Replace(std::string s, std::string_view from, std::string_view to) {
  for (std::size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size()))
    s.replace(p, from.size(), to);
  return s;
}

TEST(QueryTextsTest, ItemAndPageQueriesPerKind) {
  const char* layouts[] = {"日報情報", "月報情報", "年報情報"};
  for (int kind = 1; kind <= 3; ++kind) {
    SCOPED_TRACE(kind);
    const std::string layout = layouts[kind - 1];
    const std::string item = Replace(kDailyItemQuery, "日報情報", layout);
    EXPECT_EQ(ItemQuery(kind), item);
    EXPECT_EQ(PageQuery(item, kind, 12),
              item + " AND " + layout + ".ページNO = 12 ORDER BY " + layout + ".項目NO");
    EXPECT_EQ(PageCount(kind), "SELECT MAX(ページNO) AS MAXP FROM " + layout);
  }
}

TEST(QueryTextsTest, TitleAndPrintPageTexts) {
  EXPECT_EQ(PageTitle(1, 3), "SELECT * FROM 日報ページタイトル WHERE PAGE = 3");
  EXPECT_EQ(PageTitle(2, 10), "SELECT * FROM 月報ページタイトル WHERE PAGE = 10");
  EXPECT_EQ(PageTitleList(3), "SELECT * FROM 年報ページタイトル ORDER BY PAGE");
  EXPECT_EQ(PrintPage(1, 1), "SELECT * FROM 日報出力ページ WHERE PAGE = 1");
  EXPECT_EQ(PrintPage(3, 2), "SELECT * FROM 年報出力ページ WHERE PAGE = 2");
  EXPECT_EQ(DataTable(1), "D_DDAT");
  EXPECT_EQ(DataTable(2), "D_MDAT");
  EXPECT_EQ(DataTable(3), "D_YDAT");
  EXPECT_EQ(LayoutTable(0), "");
  EXPECT_EQ(TitleTable(4), "");
}

TEST(QueryTextsTest, ValueQueries) {
  EXPECT_EQ(TagValues("D_DDAT", "2026/3/7", 105),
            "SELECT * FROM D_DDAT WHERE DATE = '2026/3/7' AND TAG_ID = 105");
  EXPECT_EQ(PeriodValues("D_MDAT", "2003/4"),
            "SELECT * FROM D_MDAT WHERE DATE = '2003/4' ORDER BY TAG_ID");
  EXPECT_EQ(PeriodValues("D_YDAT", "x' OR '1'='1"),
            "SELECT * FROM D_YDAT WHERE DATE = 'x'' OR ''1''=''1' ORDER BY TAG_ID");
}

}  // namespace
}  // namespace tb::sql
