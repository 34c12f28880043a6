// The command line of tbexport: which share, which report period, which page, which file.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tbexport {

struct Options {
  std::filesystem::path shareRoot, clientDir, cacheDir, out;
  int kind = 0;  // 1 daily, 2 monthly, 3 yearly
  std::chrono::year_month_day date;  // the period's first day
  std::optional<int> page;           // nullopt: every page of the period
  bool help = false;
};

[[nodiscard]] std::string Usage();

// Reads argv without the program name. nullopt with a message in *error for an unknown
// flag, a missing or repeated value, a missing required flag, a date that is not the
// kind's period key, a page that is not a number from 1, or an output name without
// ".xlsx".
[[nodiscard]] std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string* error);

}  // namespace tbexport
