// The printed text of a stored value of a report item: durations in minutes as
// hours:minutes, numbers grouped with the item's digit pattern when thousands separators
// are on, otherwise the value exactly as stored.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tb::print {

struct ItemFormat {
  int displayType = 0;     // P種別; 6 = minutes shown as hours:minutes
  std::string pattern;     // 有効桁 ("" when empty or Null)
  int ketaFlg = 0;
};

// The text of a period value; nullopt when a duration value is not a number (nothing is
// printed for it).
[[nodiscard]] std::optional<std::string> ValueText(std::string_view v, const ItemFormat& f);
// The text of a summary value: as ValueText, but a duration summary that is not a number
// ("*" included) prints nothing.
[[nodiscard]] std::optional<std::string> SummaryText(std::string_view v, const ItemFormat& f);

}  // namespace tb::print
