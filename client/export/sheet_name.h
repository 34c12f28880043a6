// Names of a workbook's sheets: one per report page, "page title" ("3 取水設備"). A sheet
// name holds at most 31 characters, none of [ ] : * ? / \, does not begin or end with an
// apostrophe and differs from every other sheet's name in letter case too. Pure functions.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tb::workbook {

inline constexpr int kSheetNameMax = 31;

// The page number, a blank and the title, made a valid sheet name: the forbidden
// characters become their full-width forms (the title still reads the same), control
// characters are dropped, and the name is cut to 31 characters (UTF-16 units, as the
// spreadsheet counts them; a character is never split). An empty title gives the number.
[[nodiscard]] std::string PageSheetName(int page, std::string_view title);

// `name` when no name in `taken` equals it ignoring letter case, otherwise the name cut
// short enough to end in " (2)", " (3)" ... so that it is unique.
[[nodiscard]] std::string UniqueSheetName(const std::string& name, const std::vector<std::string>& taken);

}  // namespace tb::workbook
