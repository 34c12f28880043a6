// Every text the workbook export shows, in one place.
#pragma once

#include <string_view>

namespace tb::workbook::msg {

inline constexpr std::string_view kDialogTitle = "Excelブック出力";
inline constexpr std::string_view kChoiceWholePeriod = "期間の全ページ";
inline constexpr std::string_view kChoiceThisPage = "このページのみ";
inline constexpr std::string_view kStatusExporting = "Excel出力中・・・";
inline constexpr std::string_view kNoPages = "出力するページがありません。";
inline constexpr std::string_view kCannotWrite = "ファイルを作成できません: ";

}  // namespace tb::workbook::msg
