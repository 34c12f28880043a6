// Durations in minutes and the text <-> number conversions of the pages.
#include "client/core/formatting.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "client/core/decimal_text.h"
#include "client/core/vb_error.h"

namespace tb {
namespace {

[[noreturn]] void ThrowOverflow() { throw VbError(kErrOverflow, kErrSource, kOverflowText); }

}  // namespace

long long RoundHalfEven(double v) {
  // 2^63 is exactly representable; every double below it converts without overflow.
  constexpr double kLimit = 9223372036854775808.0;
  double r = std::nearbyint(v);  // the default rounding mode rounds halves to even
  if (!(r >= -kLimit && r < kLimit)) ThrowOverflow();
  return static_cast<long long>(r);
}

// The hours carry the sign once: -75 minutes is "-1:15", not "-1:-15".
std::string FormatMinutes(double minutes, int ketaFlg) {
  long long n = RoundHalfEven(minutes);
  if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
    ThrowOverflow();
  long long magnitude = n < 0 ? -n : n;
  long long h = magnitude / 60;
  long long m = magnitude % 60;
  std::string hours = (minutes >= 60000 && ketaFlg == 1) ? FormatNumber(h, "#,###")
                                                          : std::to_string(h);
  return (n < 0 ? "-" : "") + hours + ":" + FormatNumber(m, "00");
}

std::optional<std::int16_t> ParseInt16(std::string_view text) {
  std::optional<detail::Decimal> d = detail::ParseDecimal(text);
  if (!d) return std::nullopt;
  detail::Decimal r = detail::RoundHalfToEven(*d, 0);
  if (r.intDigits.size() > 5) return std::nullopt;
  long value = r.intDigits.empty() ? 0 : std::stol(r.intDigits);
  if (r.negative) value = -value;
  if (value < -32768 || value > 32767) return std::nullopt;
  return static_cast<std::int16_t>(value);
}

std::optional<double> ParseDouble(std::string_view text) {
  std::string_view s = detail::TrimBlanks(text);
  if (!detail::ParseDecimal(s)) return std::nullopt;  // the grammar: no "inf", "nan", hex
  bool negative = s.front() == '-';
  if (s.front() == '-' || s.front() == '+') s.remove_prefix(1);
  double v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return negative ? -v : v;
}

std::string ShortestNumberText(double v) {
  if (v == 0) return "0";  // also for -0
  char buf[400];
  auto format = std::fabs(v) < 1e15 ? std::chars_format::fixed : std::chars_format::general;
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, format);
  if (ec != std::errc()) return "0";
  return std::string(buf, end);
}

}  // namespace tb
