// The measured values of the demo plant: hourly values of a day made from each tag's
// behaviour and a seeded hash (the same seed gives the same share), the marks that
// real data hold ("*" for a faulty reading, empty texts and Nulls), and the period's
// total, average, maximum and minimum computed from the value texts themselves, so that
// MAX and MIN equal one of the values as text. Thread-safe (no state but the seed).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/tbseed/plant_model.h"

namespace tbseed {

using Value = std::optional<std::string>;

struct PeriodRow {
  std::vector<Value> data;          // DATA_1 ...
  Value total, ave, max, min;       // Null when no value is a number
};

class ValueModel {
 public:
  explicit ValueModel(std::uint64_t seed) : seed_(seed) {}

  // The 24 values of one day; DATA_i is the hour labelled startHour + i - 1 (counted on
  // past 24 from 1). Hours from `presentHours` on are Null (a day still running).
  [[nodiscard]] std::vector<Value> DayValues(const Tag& tag, std::chrono::sys_days day,
                                             int startHour, int presentHours) const;

  // The summaries of a row of values.
  [[nodiscard]] PeriodRow Summarise(const Tag& tag, std::vector<Value> data) const;

  // What one period contributes to the next longer report: its total for summed tags,
  // otherwise its average.
  [[nodiscard]] static Value CarriedUp(const Tag& tag, const PeriodRow& row) {
    return tag.total ? row.total : row.ave;
  }

  // A number as text with `decimals` places; never "-0".
  [[nodiscard]] static std::string Format(double v, int decimals);

 private:
  [[nodiscard]] double Unit(std::uint64_t a, std::uint64_t b, std::uint64_t c) const;
  [[nodiscard]] double HourValue(const Tag& tag, std::chrono::sys_days day, int hour) const;
  [[nodiscard]] Value Mark(const Tag& tag, std::chrono::sys_days day, int hour,
                           const std::string& text) const;
  std::uint64_t seed_;
};

}  // namespace tbseed
