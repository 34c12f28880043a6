// The SQL texts of the report database, literal for literal. The item query is built
// from its sixteen pieces in order, so the text (spaces included) stays comparable with
// the documented one.
#include "client/core/query_texts.h"

#include <array>

namespace tb::sql {
namespace {

struct Family {
  std::string_view layout;
  std::string_view titles;
  std::string_view printPages;
  std::string_view data;
};

constexpr std::array<Family, 3> kFamilies = {{
    {"日報情報", "日報ページタイトル", "日報出力ページ", "D_DDAT"},
    {"月報情報", "月報ページタイトル", "月報出力ページ", "D_MDAT"},
    {"年報情報", "年報ページタイトル", "年報出力ページ", "D_YDAT"},
}};

// A kind outside 1..3 has no tables: its texts name none, so the database refuses them
// instead of answering with another kind's rows.
Family FamilyOf(int kind) {
  if (kind < 1 || kind > 3) return {};
  return kFamilies[static_cast<std::size_t>(kind - 1)];
}

std::string Str(std::string_view s) { return std::string(s); }

// A period key goes between single quotes; a quote inside it is doubled so that the
// text cannot end the literal early.
std::string QuotedKey(std::string_view key) {
  std::string out = "'";
  for (char c : key) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

}  // namespace

std::string_view LayoutTable(int kind) { return FamilyOf(kind).layout; }
std::string_view TitleTable(int kind) { return FamilyOf(kind).titles; }
std::string_view PrintPagesTable(int kind) { return FamilyOf(kind).printPages; }
std::string_view DataTable(int kind) { return FamilyOf(kind).data; }

std::string PageCount(int kind) {
  return "SELECT MAX(ページNO) AS MAXP FROM " + Str(LayoutTable(kind));
}

std::string ItemQuery(int kind) {
  const std::string table = Str(LayoutTable(kind));
  return "SELECT " + table + ".*," +
         "M_TAG.大項目NO,M_TAG.中項目NO,M_TAG.小項目NO, " +
         "M_TAG.単位NO,M_TAG.TOTAL_FLG,M_TAG.AVE_FLG, " +
         "M_TAG.有効桁,M_TAG.最大値,M_TAG.最小値, " +
         "M_TAG.MAX_FLG,M_TAG.MIN_FLG,M_TAG.種別, " +
         "M_TAG.P種別, " +
         "大項目情報.名称 AS BIGN, " +
         "中項目情報.名称 AS MIDN, " +
         "小項目情報.名称 AS SMLN, " +
         "M_UNIT.名称 AS TANN " +
         "FROM M_TAG," + table + ",大項目情報,中項目情報,小項目情報,M_UNIT " +
         "WHERE " + table + ".TAG_ID = M_TAG.TAG_ID AND " +
         "      M_TAG.大項目NO = 大項目情報.大項目NO AND " +
         "      M_TAG.中項目NO = 中項目情報.中項目NO AND " +
         "      M_TAG.小項目NO = 小項目情報.小項目NO AND " +
         "      M_TAG.単位NO = M_UNIT.単位NO ";
}

std::string PageQuery(std::string_view itemSql, int kind, int page) {
  const std::string table = Str(LayoutTable(kind));
  return Str(itemSql) + " AND " + table + ".ページNO = " + std::to_string(page) + " ORDER BY " +
         table + ".項目NO";
}

std::string PageTitle(int kind, int page) {
  return "SELECT * FROM " + Str(TitleTable(kind)) + " WHERE PAGE = " + std::to_string(page);
}

std::string PageTitleList(int kind) {
  return "SELECT * FROM " + Str(TitleTable(kind)) + " ORDER BY PAGE";
}

std::string PrintPage(int kind, int page) {
  return "SELECT * FROM " + Str(PrintPagesTable(kind)) + " WHERE PAGE = " + std::to_string(page);
}

std::string TagValues(std::string_view dataTable, std::string_view dateKey, long long tagId) {
  return "SELECT * FROM " + Str(dataTable) + " WHERE DATE = " + QuotedKey(dateKey) +
         " AND TAG_ID = " + std::to_string(tagId);
}

std::string PeriodValues(std::string_view dataTable, std::string_view periodKey) {
  return "SELECT * FROM " + Str(dataTable) + " WHERE DATE = " + QuotedKey(periodKey) +
         " ORDER BY TAG_ID";
}

}  // namespace tb::sql
