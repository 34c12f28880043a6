#include "client/core/decimal_text.h"

#include <algorithm>
#include <charconv>

namespace tb::detail {
namespace {

constexpr int kMaxExponent = 4096;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TakeDigits(std::string_view& s) {
  std::size_t n = 0;
  while (n < s.size() && IsDigit(s[n])) ++n;
  std::string_view digits = s.substr(0, n);
  s.remove_prefix(n);
  return digits;
}

std::optional<int> TakeExponent(std::string_view& s) {
  if (s.empty() || (s.front() != 'e' && s.front() != 'E')) return 0;
  s.remove_prefix(1);
  bool negative = !s.empty() && s.front() == '-';
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
  std::string_view digits = TakeDigits(s);
  if (digits.empty()) return std::nullopt;
  digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size()));
  if (digits.size() > 4) return std::nullopt;
  int e = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), e);
  if (e > kMaxExponent) return std::nullopt;
  return negative ? -e : e;
}

// Moves the decimal point of int.frac by `exponent` places.
void Shift(std::string& intDigits, std::string& fracDigits, int exponent) {
  std::string all = intDigits + fracDigits;
  long long point = static_cast<long long>(intDigits.size()) + exponent;
  if (point < 0) {
    all.insert(0, static_cast<std::size_t>(-point), '0');
    point = 0;
  } else if (point > static_cast<long long>(all.size())) {
    all.append(static_cast<std::size_t>(point) - all.size(), '0');
  }
  intDigits = all.substr(0, static_cast<std::size_t>(point));
  fracDigits = all.substr(static_cast<std::size_t>(point));
}

// Adds one unit in the last place of a digit string ("199" -> "200", "99" -> "100").
std::string Increment(std::string digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return digits;
    }
    digits[i] = '0';
  }
  return "1" + digits;
}

// Keeps `decimals` fraction digits and adds one unit in the last kept place when roundUp.
Decimal Cut(Decimal d, std::size_t decimals, bool roundUp) {
  std::string kept = d.intDigits + d.fracDigits.substr(0, decimals);
  kept.append(decimals - std::min(decimals, d.fracDigits.size()), '0');
  if (roundUp) kept = Increment(kept);
  d.intDigits = kept.substr(0, kept.size() - decimals);
  d.fracDigits = kept.substr(kept.size() - decimals);
  d.intDigits.erase(0, std::min(d.intDigits.find_first_not_of('0'), d.intDigits.size()));
  return d;
}

}  // namespace

bool Decimal::IsZero() const {
  return intDigits.find_first_not_of('0') == std::string::npos &&
         fracDigits.find_first_not_of('0') == std::string::npos;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::optional<Decimal> ParseDecimal(std::string_view text) {
  std::string_view s = TrimBlanks(text);
  Decimal d;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    d.negative = s.front() == '-';
    s.remove_prefix(1);
  }
  std::string_view intPart = TakeDigits(s);
  std::string_view fracPart;
  if (!s.empty() && s.front() == '.') {
    s.remove_prefix(1);
    fracPart = TakeDigits(s);
  }
  if (intPart.empty() && fracPart.empty()) return std::nullopt;
  std::optional<int> exponent = TakeExponent(s);
  if (!exponent || !s.empty()) return std::nullopt;
  d.intDigits = intPart;
  d.fracDigits = fracPart;
  if (*exponent != 0) Shift(d.intDigits, d.fracDigits, *exponent);
  d.intDigits.erase(0, std::min(d.intDigits.find_first_not_of('0'), d.intDigits.size()));
  return d;
}

Decimal RoundHalfAwayFromZero(Decimal d, std::size_t decimals) {
  bool up = d.fracDigits.size() > decimals && d.fracDigits[decimals] >= '5';
  return Cut(std::move(d), decimals, up);
}

Decimal RoundHalfToEven(Decimal d, std::size_t decimals) {
  bool up = false;
  if (d.fracDigits.size() > decimals) {
    char first = d.fracDigits[decimals];
    bool restZero = d.fracDigits.find_first_not_of('0', decimals + 1) == std::string::npos;
    char last = decimals > 0 ? d.fracDigits[decimals - 1]
                             : (d.intDigits.empty() ? '0' : d.intDigits.back());
    bool lastOdd = (last - '0') % 2 == 1;
    up = first > '5' || (first == '5' && (!restZero || lastOdd));
  }
  return Cut(std::move(d), decimals, up);
}

}  // namespace tb::detail
