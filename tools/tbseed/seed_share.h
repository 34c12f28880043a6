// Writes a complete demo share and client folder:
//   <share>/Vurodor.ini                  report settings (CP932)
//   <share>/TB_DataBase/Vurodor.mdb      layout database (SQLite)
//   <share>/TB_DataBase/RIVove.mdb       data database (SQLite): daily, monthly, yearly rows
//   <client>/TBWeb.ini                   client connection settings: the share's data file
// Existing files of these names are replaced; nothing else is touched.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

#include "tools/tbseed/plant_model.h"

namespace tbseed {

struct SeedOptions {
  std::filesystem::path shareRoot, clientDir;
  int tags = 90;
  int years = 2;
  std::chrono::year_month_day endDate{};  // last day with values (partly filled)
  std::uint64_t seed = 1;
  int dayStartHour = 8;  // [Nippou] Hour
};

struct SeedSummary {
  Plant plant;
  std::chrono::sys_days firstDay{}, endDay{};
  long long dailyRows = 0, monthlyRows = 0, yearlyRows = 0;
};

// Throws std::runtime_error (or a filesystem error) when a file cannot be written.
SeedSummary SeedShare(const SeedOptions& options);

// The period keys the data tables use: "yyyy/m/d", "yyyy/m", "yyyy".
[[nodiscard]] std::string DayKey(std::chrono::year_month_day d);
[[nodiscard]] std::string MonthKey(std::chrono::year_month_day d);
[[nodiscard]] std::string YearKey(std::chrono::year_month_day d);

// Values present on the last day (hours 1..n of its 24): the day is still running.
inline constexpr int kEndDayHours = 14;

// Writers of the two databases (seed_layout_db.cpp, seed_data_db.cpp).
void WriteLayoutDatabase(const std::filesystem::path& file, const Plant& plant);
void WriteDataDatabase(const std::filesystem::path& file, const SeedOptions& options,
                       SeedSummary& summary);

}  // namespace tbseed
