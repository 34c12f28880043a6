#include "client/grid/cell_value_rule.h"

#include "client/core/formatting.h"
#include "client/core/vb_error.h"

namespace tb {

namespace {

std::optional<std::string> MinutesText(std::string_view value, int ketaFlg) {
  const auto minutes = ParseDouble(value);
  if (!minutes) return std::nullopt;
  try {
    return FormatMinutes(*minutes, ketaFlg);
  } catch (const VbError&) {
    return std::nullopt;  // beyond the 32-bit range of the minute count
  }
}

}  // namespace

std::string ColumnPicture(std::string_view pattern, int ketaFlg) {
  std::string picture = ketaFlg != 0 ? "#,##" : "";
  picture += pattern;
  return picture;
}

std::optional<std::string> PeriodCellText(std::string_view value, int displayType,
                                          std::string_view pattern, int ketaFlg) {
  if (displayType == kDisplayTypeMinutes) {
    if (value == "*") return std::string(value);
    return MinutesText(value, ketaFlg);
  }
  return FormatNumber(value, ColumnPicture(pattern, ketaFlg));
}

std::optional<std::string> SummaryCellText(std::string_view value, int displayType,
                                           std::string_view pattern, int ketaFlg) {
  if (displayType == kDisplayTypeMinutes) return MinutesText(value, ketaFlg);
  return FormatNumber(value, ColumnPicture(pattern, ketaFlg));
}

}  // namespace tb
