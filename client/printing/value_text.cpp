#include "client/printing/value_text.h"

#include "client/core/formatting.h"

namespace tb::print {
namespace {

std::optional<std::string> Minutes(std::string_view v, int ketaFlg) {
  const auto n = ParseDouble(v);
  if (!n) return std::nullopt;
  try {
    return FormatMinutes(*n, ketaFlg);
  } catch (...) {
    return std::nullopt;  // outside the 32-bit range
  }
}

}  // namespace

std::optional<std::string> ValueText(std::string_view v, const ItemFormat& f) {
  if (f.displayType == 6) {
    if (v == "*") return std::string("*");
    return Minutes(v, f.ketaFlg);
  }
  // An empty pattern gives the bare "#,##" picture: 0 prints as nothing.
  if (f.ketaFlg == 1) return FormatNumber(v, "#,##" + f.pattern);
  return std::string(v);
}

std::optional<std::string> SummaryText(std::string_view v, const ItemFormat& f) {
  if (f.displayType == 6) return Minutes(v, f.ketaFlg);
  return ValueText(v, f);
}

}  // namespace tb::print
