// The data database: one row per tag and day, month and (fiscal) year. Monthly values are
// the days' totals or averages and yearly values the months', so the three reports agree.
#include <map>

#include "tools/tbseed/seed_share.h"
#include "tools/tbseed/sqlite_writer.h"
#include "tools/tbseed/value_model.h"

namespace tbseed {
namespace {

using namespace std::chrono;

constexpr int kYearStartMonth = 4;  // [Nenpou] Month of the seeded settings

void CreateDataTable(SqliteWriter& w, const std::string& table, int columns) {
  std::string sql = "CREATE TABLE " + table + " (DATE TEXT, TAG_ID INTEGER";
  for (int i = 1; i <= columns; ++i) sql += ", DATA_" + std::to_string(i) + " TEXT";
  w.Exec(sql + ", TOTAL TEXT, AVE TEXT, MAX TEXT, MIN TEXT)");
}

std::string InsertSql(const std::string& table, int columns) {
  std::string sql = "INSERT INTO " + table + " VALUES (?,?";
  for (int i = 0; i < columns + 4; ++i) sql += ",?";
  return sql + ")";
}

void InsertRow(SqliteWriter::Insert& ins, const std::string& key, int tagId, const PeriodRow& row) {
  ins.Text(1, key).Int(2, tagId);
  int col = 3;
  for (const auto& v : row.data) ins.Text(col++, v);
  ins.Text(col, row.total).Text(col + 1, row.ave).Text(col + 2, row.max).Text(col + 3, row.min);
  ins.Step();
}

int MonthIndex(year_month_day d) {
  return static_cast<int>(d.year()) * 12 + static_cast<int>(static_cast<unsigned>(d.month())) - 1;
}

int FiscalYear(year_month_day d) {
  int y = static_cast<int>(d.year());
  return static_cast<int>(static_cast<unsigned>(d.month())) >= kYearStartMonth ? y : y - 1;
}

// The same day `years` years before `end`, plus one day (29 February falls back to the
// 28th).
sys_days FirstDay(year_month_day end, int years) {
  year_month_day back{end.year() - std::chrono::years{years}, end.month(), end.day()};
  if (!back.ok()) back = year_month_day{back.year() / back.month() / last};
  return sys_days{back} + days{1};
}

class TagSeeder {
 public:
  TagSeeder(SqliteWriter& w, const ValueModel& model, const SeedOptions& o, SeedSummary& s)
      : daily_(w, InsertSql("D_DDAT", 24)), monthly_(w, InsertSql("D_MDAT", 31)),
        yearly_(w, InsertSql("D_YDAT", 12)), model_(model), options_(o), summary_(s) {}

  void Seed(const Tag& tag) {
    SeedDays(tag);
    SeedMonths(tag);
    SeedYears(tag);
  }

 private:
  void SeedDays(const Tag& tag) {
    dayValues_.clear();
    for (sys_days d = summary_.firstDay; d <= summary_.endDay; d += days{1}) {
      const int hours = d == summary_.endDay ? kEndDayHours : 24;
      PeriodRow row = model_.Summarise(tag, model_.DayValues(tag, d, options_.dayStartHour, hours));
      InsertRow(daily_, DayKey(year_month_day{d}), tag.id, row);
      dayValues_.push_back(ValueModel::CarriedUp(tag, row));
      ++summary_.dailyRows;
    }
  }

  void SeedMonths(const Tag& tag) {
    monthValues_.clear();
    const year_month_day first{summary_.firstDay}, end{summary_.endDay};
    for (year_month ym = first.year() / first.month(); ym <= end.year() / end.month();
         ym += months{1}) {
      std::vector<Value> data(31);
      const unsigned lastDay = static_cast<unsigned>((ym / last).day());
      for (unsigned d = 1; d <= lastDay; ++d) {
        const sys_days day{ym / day_t(d)};
        if (day >= summary_.firstDay && day <= summary_.endDay)
          data[d - 1] = dayValues_[static_cast<std::size_t>((day - summary_.firstDay).count())];
      }
      PeriodRow row = model_.Summarise(tag, std::move(data));
      InsertRow(monthly_, MonthKey(ym / 1), tag.id, row);
      monthValues_[MonthIndex(ym / 1)] = ValueModel::CarriedUp(tag, row);
      ++summary_.monthlyRows;
    }
  }

  void SeedYears(const Tag& tag) {
    for (int fy = FiscalYear(year_month_day{summary_.firstDay});
         fy <= FiscalYear(year_month_day{summary_.endDay}); ++fy) {
      std::vector<Value> data(12);
      for (int i = 0; i < 12; ++i) {
        const int index = fy * 12 + kYearStartMonth - 1 + i;
        if (auto it = monthValues_.find(index); it != monthValues_.end()) data[static_cast<std::size_t>(i)] = it->second;
      }
      PeriodRow row = model_.Summarise(tag, std::move(data));
      InsertRow(yearly_, std::to_string(fy), tag.id, row);
      ++summary_.yearlyRows;
    }
  }

  using day_t = std::chrono::day;
  SqliteWriter::Insert daily_, monthly_, yearly_;
  const ValueModel& model_;
  const SeedOptions& options_;
  SeedSummary& summary_;
  std::vector<Value> dayValues_;
  std::map<int, Value> monthValues_;
};

}  // namespace

void WriteDataDatabase(const std::filesystem::path& file, const SeedOptions& options,
                       SeedSummary& summary) {
  summary.endDay = sys_days{options.endDate};
  summary.firstDay = FirstDay(options.endDate, options.years);
  SqliteWriter w(file);
  CreateDataTable(w, "D_DDAT", 24);
  CreateDataTable(w, "D_MDAT", 31);
  CreateDataTable(w, "D_YDAT", 12);
  const ValueModel model(options.seed);
  {
    TagSeeder seeder(w, model, options, summary);
    for (const auto& tag : summary.plant.tags) seeder.Seed(tag);
  }
  // Indexes after the rows: faster than keeping them up to date row by row.
  for (const char* table : {"D_DDAT", "D_MDAT", "D_YDAT"})
    w.Exec(std::string("CREATE UNIQUE INDEX ") + table + "_DATE_TAG ON " + table + " (DATE, TAG_ID)");
  w.Commit();
}

}  // namespace tbseed
