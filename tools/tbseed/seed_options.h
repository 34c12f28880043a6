// The command line of tbseed:
//   tbseed --share-root DIR --client-dir DIR [--tags N] [--years N]
//          [--end-date YYYY-MM-DD] [--seed N] [--day-start-hour N]
// Pure parsing; the default end date is passed in (today).
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "tools/tbseed/seed_share.h"

namespace tbseed {

inline constexpr int kMaxTags = 5000;
inline constexpr int kMaxYears = 30;

struct ArgError {
  std::string message;
};

// Options, or the reason the arguments are refused.
[[nodiscard]] std::variant<SeedOptions, ArgError> ParseSeedArgs(
    const std::vector<std::string>& args, std::chrono::year_month_day today);

[[nodiscard]] std::string SeedUsage();

}  // namespace tbseed
