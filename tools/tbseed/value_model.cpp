#include "tools/tbseed/value_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace tbseed {
namespace {

std::uint64_t SplitMix(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

constexpr double kTwoPi = 2 * std::numbers::pi;

// Day of the year 0..365 for the seasonal waves.
double DayOfYear(std::chrono::sys_days day) {
  const std::chrono::year_month_day ymd{day};
  return static_cast<double>((day - std::chrono::sys_days{ymd.year() / 1 / 1}).count());
}

// +1 in high summer, -1 in midwinter.
double Season(std::chrono::sys_days day) { return std::sin(kTwoPi * (DayOfYear(day) - 120) / 365.0); }

double Wave(int hour, int peakHour) { return std::sin(kTwoPi * (hour - peakHour + 6) / 24.0); }

}  // namespace

std::string ValueModel::Format(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string s = buf;
  if (s.front() == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

double ValueModel::Unit(std::uint64_t a, std::uint64_t b, std::uint64_t c) const {
  std::uint64_t h = SplitMix(seed_ ^ SplitMix(a ^ SplitMix(b ^ SplitMix(c))));
  return static_cast<double>(h >> 11) / 9007199254740992.0;
}

double ValueModel::HourValue(const Tag& tag, std::chrono::sys_days day, int hour) const {
  const auto d = static_cast<std::uint64_t>(day.time_since_epoch().count());
  const auto id = static_cast<std::uint64_t>(tag.id);
  const double u = Unit(id, d, static_cast<std::uint64_t>(hour)) - 0.5;
  const double dayU = Unit(id, d, 1000);
  const double season = Season(day);
  switch (tag.behaviour) {
    case Behaviour::kFlow:
      return std::max(0.0, tag.base * (1 + 0.12 * Wave(hour, 19) + 0.06 * season) + tag.spread * 0.3 * u);
    case Behaviour::kEnergy:
      return std::max(0.0, tag.base * (1 + 0.2 * Wave(hour, 14) + 0.1 * season) + tag.spread * 0.4 * u);
    case Behaviour::kSolar:
      if (hour < 7 || hour > 17) return 0;
      return tag.base * std::sin(std::numbers::pi * (hour - 6) / 12.0) * (0.35 + 0.65 * dayU);
    case Behaviour::kLevel:
      return std::max(0.0, tag.base + tag.spread * 0.5 * Wave(hour, 4) + tag.spread * 0.1 * u);
    case Behaviour::kTemperature:
      return tag.base + tag.spread * season + tag.spread * 0.2 * Wave(hour, 14) + 0.3 * u;
    case Behaviour::kQuality:
      return std::max(0.0, tag.base + tag.spread * u + 0.3 * tag.spread * season);
    case Behaviour::kRain:
      return dayU < 0.25 && u > 0 ? tag.spread * 2 * u * (1 - dayU) : 0;
    case Behaviour::kRunContinuous:
      return 60;
    case Behaviour::kRunDaytime:
      if (dayU < 0.1) return 0;  // a day off
      return hour >= 7 && hour <= 20 ? 60 : hour == 6 ? 30 : hour == 21 ? 45 : 0;
    case Behaviour::kRunStandby:
      return dayU < 0.05 && hour >= 9 && hour <= 16 ? 60 : 0;
    case Behaviour::kSetpoint:
      return tag.base;
  }
  return 0;
}

// Now and then a reading is faulty ("*"), missing (empty) or never stored (Null).
Value ValueModel::Mark(const Tag& tag, std::chrono::sys_days day, int hour,
                       const std::string& text) const {
  if (tag.clean) return text;
  const double u = Unit(static_cast<std::uint64_t>(tag.id) + 7777,
                        static_cast<std::uint64_t>(day.time_since_epoch().count()),
                        static_cast<std::uint64_t>(hour));
  if (u < 0.002) return std::string("*");
  if (u < 0.004) return std::string();
  if (u < 0.006) return std::nullopt;
  return text;
}

std::vector<Value> ValueModel::DayValues(const Tag& tag, std::chrono::sys_days day,
                                         int startHour, int presentHours) const {
  std::vector<Value> out;
  out.reserve(24);
  const int decimals = Decimals(tag.digits);
  for (int i = 0; i < 24; ++i) {
    if (i >= presentHours) {
      out.emplace_back(std::nullopt);
      continue;
    }
    int label = startHour + i;
    if (label > 24) label -= 24;
    out.push_back(Mark(tag, day, label, Format(HourValue(tag, day, label), decimals)));
  }
  return out;
}

PeriodRow ValueModel::Summarise(const Tag& tag, std::vector<Value> data) const {
  PeriodRow row;
  row.data = std::move(data);
  const int decimals = Decimals(tag.digits);
  double sum = 0;
  int n = 0;
  const std::string *maxText = nullptr, *minText = nullptr;
  double maxV = 0, minV = 0;
  for (const auto& v : row.data) {
    if (!v || v->empty() || *v == "*") continue;
    const double x = std::strtod(v->c_str(), nullptr);
    sum += x;
    if (n == 0 || x > maxV) maxV = x, maxText = &*v;
    if (n == 0 || x < minV) minV = x, minText = &*v;
    ++n;
  }
  if (n == 0) return row;
  if (tag.total) row.total = Format(sum, decimals);
  if (tag.ave) row.ave = Format(sum / n, decimals);
  if (tag.max) row.max = *maxText;
  if (tag.min) row.min = *minText;
  return row;
}

}  // namespace tbseed
