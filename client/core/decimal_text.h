// Decimal numbers held as digit strings, for formatting values that arrive as text
// without passing them through a binary double ("2.675" rounds to "2.68", not "2.67").
// Internal to client/core. Any number of digits; no overflow.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tb::detail {

// |value| = intDigits "." fracDigits. intDigits has no leading zeros ("" for zero
// integer part); fracDigits may end in zeros.
struct Decimal {
  bool negative = false;
  std::string intDigits;
  std::string fracDigits;

  [[nodiscard]] bool IsZero() const;
};

// Parses [blanks][sign]digits[.digits][(e|E)[sign]digits][blanks] with at least one
// mantissa digit ("3.", ".5", "-0.25", "1.5E+3"). Exponents beyond +-4096 are refused so
// that a short text cannot ask for a huge digit string.
[[nodiscard]] std::optional<Decimal> ParseDecimal(std::string_view text);

// Rounds to `decimals` fraction digits, halves away from zero.
[[nodiscard]] Decimal RoundHalfAwayFromZero(Decimal d, std::size_t decimals);
// Rounds to `decimals` fraction digits, halves to the even neighbour.
[[nodiscard]] Decimal RoundHalfToEven(Decimal d, std::size_t decimals);

// Drops blanks (space, tab) at both ends.
[[nodiscard]] std::string_view TrimBlanks(std::string_view s);

}  // namespace tb::detail
