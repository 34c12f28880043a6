// The exact SQL texts the client sends, one function per query. Report kind 1 = daily,
// 2 = monthly, 3 = yearly selects the table family. Page numbers and tag ids are written
// in decimal without leading zeros. Pure functions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tb::sql {

[[nodiscard]] std::string_view LayoutTable(int kind);      // 日報情報 / 月報情報 / 年報情報
[[nodiscard]] std::string_view TitleTable(int kind);       // 日報ページタイトル ...
[[nodiscard]] std::string_view PrintPagesTable(int kind);  // 日報出力ページ ...
[[nodiscard]] std::string_view DataTable(int kind);        // D_DDAT / D_MDAT / D_YDAT

[[nodiscard]] std::string PageCount(int kind);                       // SELECT MAX(ページNO) AS MAXP ...
[[nodiscard]] std::string ItemQuery(int kind);                       // gItemSql
[[nodiscard]] std::string PageQuery(std::string_view itemSql, int kind, int page);  // gPageSql
[[nodiscard]] std::string PageTitle(int kind, int page);
[[nodiscard]] std::string PageTitleList(int kind);
[[nodiscard]] std::string PrintPage(int kind, int page);
[[nodiscard]] std::string TagValues(std::string_view dataTable, std::string_view dateKey, long long tagId);
[[nodiscard]] std::string PeriodValues(std::string_view dataTable, std::string_view periodKey);

}  // namespace tb::sql
