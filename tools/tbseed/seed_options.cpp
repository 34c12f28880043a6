#include "tools/tbseed/seed_options.h"

#include <charconv>
#include <optional>

namespace tbseed {
namespace {

std::optional<long long> Number(const std::string& text, long long lo, long long hi) {
  long long v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || v < lo || v > hi)
    return std::nullopt;
  return v;
}

std::optional<std::chrono::year_month_day> Date(const std::string& text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  auto y = Number(text.substr(0, 4), 1900, 9999);
  auto m = Number(text.substr(5, 2), 1, 12);
  auto d = Number(text.substr(8, 2), 1, 31);
  if (!y || !m || !d) return std::nullopt;
  std::chrono::year_month_day ymd{std::chrono::year{static_cast<int>(*y)},
                                  std::chrono::month{static_cast<unsigned>(*m)},
                                  std::chrono::day{static_cast<unsigned>(*d)}};
  if (!ymd.ok()) return std::nullopt;
  return ymd;
}

// Applies one "--name value" pair; returns an error text or empty.
std::string Apply(SeedOptions& o, const std::string& name, const std::string& value) {
  if (name == "--share-root") o.shareRoot = value;
  else if (name == "--client-dir") o.clientDir = value;
  else if (name == "--tags") {
    auto v = Number(value, 1, kMaxTags);
    if (!v) return "--tags takes 1 to " + std::to_string(kMaxTags);
    o.tags = static_cast<int>(*v);
  } else if (name == "--years") {
    auto v = Number(value, 1, kMaxYears);
    if (!v) return "--years takes 1 to " + std::to_string(kMaxYears);
    o.years = static_cast<int>(*v);
  } else if (name == "--end-date") {
    auto d = Date(value);
    if (!d) return "--end-date takes a date YYYY-MM-DD";
    o.endDate = *d;
  } else if (name == "--seed") {
    auto v = Number(value, 0, 1LL << 62);
    if (!v) return "--seed takes a non-negative number";
    o.seed = static_cast<std::uint64_t>(*v);
  } else if (name == "--day-start-hour") {
    auto v = Number(value, 0, 24);
    if (!v) return "--day-start-hour takes 0 to 24";
    o.dayStartHour = static_cast<int>(*v);
  } else {
    return "unknown option " + name;
  }
  return {};
}

}  // namespace

std::variant<SeedOptions, ArgError> ParseSeedArgs(const std::vector<std::string>& args,
                                                  std::chrono::year_month_day today) {
  SeedOptions o;
  o.endDate = today;
  for (std::size_t i = 0; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) return ArgError{args[i] + " needs a value"};
    if (auto err = Apply(o, args[i], args[i + 1]); !err.empty()) return ArgError{err};
  }
  if (o.shareRoot.empty() || o.clientDir.empty())
    return ArgError{"--share-root and --client-dir are required"};
  return o;
}

std::string SeedUsage() {
  return "usage: tbseed --share-root DIR --client-dir DIR [--tags N] [--years N]\n"
         "              [--end-date YYYY-MM-DD] [--seed N] [--day-start-hour N]\n";
}

}  // namespace tbseed
