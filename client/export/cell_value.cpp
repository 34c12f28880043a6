#include "client/export/cell_value.h"

#include <cmath>

#include "client/core/formatting.h"
#include "client/core/vb_error.h"
#include "client/grid/cell_value_rule.h"

namespace tb::workbook {

namespace {

constexpr double kMinutesPerDay = 24 * 60;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "-1,234.5" as the number pictures write it: an optional minus, digits with commas, an
// optional fraction. The commas are dropped.
std::optional<std::string> PlainNumberText(std::string_view s) {
  std::string out;
  size_t i = 0;
  if (i < s.size() && s[i] == '-') out += s[i++];
  const size_t digitsFrom = i;
  for (; i < s.size() && (IsDigit(s[i]) || s[i] == ','); ++i)
    if (s[i] != ',') out += s[i];
  if (i == digitsFrom || !IsDigit(s[digitsFrom])) return std::nullopt;
  if (i < s.size() && s[i] == '.') {
    out += s[i++];
    const size_t fracFrom = i;
    for (; i < s.size() && IsDigit(s[i]); ++i) out += s[i];
    if (i == fracFrom) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  return out;
}

// "1:15", "1,000:00": hours (commas allowed) and two-digit minutes, not negative.
std::optional<long long> ShownMinutes(std::string_view s) {
  const size_t colon = s.find(':');
  if (colon == std::string_view::npos || s.size() - colon != 3) return std::nullopt;
  const auto hours = PlainNumberText(s.substr(0, colon));
  if (!hours || hours->find_first_of("-.") != std::string::npos || hours->size() > 12)
    return std::nullopt;
  if (!IsDigit(s[colon + 1]) || !IsDigit(s[colon + 2])) return std::nullopt;
  const int minutes = (s[colon + 1] - '0') * 10 + (s[colon + 2] - '0');
  if (minutes >= 60) return std::nullopt;
  return std::stoll(*hours) * 60 + minutes;
}

CellValue Text(std::string_view shown) { return {CellKind::kText, std::string(shown), 0}; }

CellValue Duration(std::string_view shown, int ketaFlg) {
  const auto minutes = ShownMinutes(shown);
  if (!minutes) return Text(shown);
  try {
    if (FormatMinutes(static_cast<double>(*minutes), ketaFlg) != shown) return Text(shown);
  } catch (const VbError&) {
    return Text(shown);
  }
  return {CellKind::kDuration, {}, static_cast<double>(*minutes) / kMinutesPerDay};
}

CellValue Number(std::string_view shown, std::string_view picture) {
  const auto plain = PlainNumberText(shown);
  if (!plain || FormatNumber(*plain, picture) != shown) return Text(shown);
  const auto value = ParseDouble(*plain);
  if (!value || !std::isfinite(*value)) return Text(shown);
  return {CellKind::kNumber, {}, *value};
}

bool IsPicture(std::string_view picture) {
  if (picture.find_first_of("0#") == std::string_view::npos) return false;
  return picture.find_first_not_of("0#,.") == std::string_view::npos &&
         picture.find('.') == picture.rfind('.');
}

}  // namespace

CellValue ReadShownValue(std::string_view shown, int displayType, std::string_view pattern,
                         int ketaFlg) {
  if (shown.empty()) return {};
  if (displayType == kDisplayTypeMinutes) return Duration(shown, ketaFlg);
  const std::string picture = ColumnPicture(pattern, ketaFlg);
  if (!IsPicture(picture)) return Text(shown);
  return Number(shown, picture);
}

std::optional<std::string> ColumnNumberFormat(int displayType, std::string_view pattern,
                                              int ketaFlg) {
  // Elapsed hours take no thousands separator in a number format.
  if (displayType == kDisplayTypeMinutes) return std::string("[h]:mm");
  std::string picture = ColumnPicture(pattern, ketaFlg);
  if (!IsPicture(picture)) return std::nullopt;
  return picture;
}

}  // namespace tb::workbook
