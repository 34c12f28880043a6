// The demo plant: a water-treatment works with intake, settling, filtration, chemical
// dosing, distribution reservoirs, pumps, power and weather. Builds the tag master, the
// heading and unit masters and the page layout of each report kind from a tag count.
// Pure data; thread-safe.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tbseed {

// How a tag's values behave over a day and a year.
enum class Behaviour {
  kFlow,         // m3/h: daily cycle, summed
  kEnergy,       // kWh per hour: daily cycle, summed
  kSolar,        // kWh: zero at night
  kLevel,        // m, MPa: slow wave, averaged
  kTemperature,  // ℃: seasonal and daily wave, averaged
  kQuality,      // mg/L, 度: noisy, averaged
  kRain,         // mm: mostly zero, summed
  kRunContinuous,  // minutes of running per period, always full
  kRunDaytime,     // minutes of running, day shift
  kRunStandby,     // minutes of running, rarely
  kSetpoint,       // a constant
};

struct Tag {
  int id = 0;
  int bigNo = 0, midNo = 0, smallNo = 0, unitNo = 0;
  std::string name;    // a readable tag name (extra column of M_TAG)
  std::string digits;  // 有効桁: "0", "0.0", "0.00" or empty
  std::string maxText, minText;  // 最大値 / 最小値, may be empty
  int kind = 1;        // 種別
  int displayType = 1; // P種別: 6 = minutes shown as hours:minutes
  bool total = false, ave = true, max = true, min = true;
  Behaviour behaviour = Behaviour::kFlow;
  double base = 0, spread = 0;  // level and variation of the values
  bool clean = false;  // never gets "*", empty or Null values
};

// One placement of a tag on a report page.
struct Placement {
  int tagId = 0, page = 0, column = 0;
};

struct KindLayout {
  std::vector<Placement> placements;
  int maxPage = 0;
  int emptyPage = 0;            // a page number without rows (0 = none)
  std::map<int, std::string> titles;  // page -> title, every page 1..maxPage
  std::vector<int> printPages;  // pages that take part in printed output
};

struct Plant {
  std::vector<Tag> tags;
  std::map<int, std::string> bigNames, midNames, smallNames, unitNames;
  KindLayout layouts[3];  // daily, monthly, yearly
};

// Builds a plant of `tagCount` tags (at least 1). Trains of the works repeat under
// numbered large headings when more tags are asked than one train has.
[[nodiscard]] Plant BuildPlant(int tagCount);

// Decimal places of a digit pattern ("0.00" -> 2, "" -> 0).
[[nodiscard]] int Decimals(const std::string& digits);

}  // namespace tbseed
