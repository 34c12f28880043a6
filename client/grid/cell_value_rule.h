// How the grid page turns a stored value (text) into the text of a cell: time columns
// (display type 6) as hours:minutes, every other column with the tag's digit pattern,
// with thousands separators when the settings ask for them. Pure functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tb {

// Display type of a tag whose values are durations in minutes.
inline constexpr int kDisplayTypeMinutes = 6;

// The picture a number column uses: the digit pattern, behind "#,##" when ketaFlg is on.
[[nodiscard]] std::string ColumnPicture(std::string_view pattern, int ketaFlg);

// Text of a period cell for a non-empty value: "*" stays "*" in a time column, a value
// that is not a number stays as it is in a number column. nullopt when the value cannot
// be converted (a time column's non-number, or minutes outside the 32-bit range): the cell
// then keeps no text.
[[nodiscard]] std::optional<std::string> PeriodCellText(std::string_view value, int displayType,
                                                        std::string_view pattern, int ketaFlg);

// Text of a summary cell (total, average, maximum, minimum): as PeriodCellText, except that
// a time column converts every value, so "*" gives nullopt there too.
[[nodiscard]] std::optional<std::string> SummaryCellText(std::string_view value, int displayType,
                                                         std::string_view pattern, int ketaFlg);

}  // namespace tb
