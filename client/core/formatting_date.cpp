// Date pictures and the Japanese era table. Picture letters are read without regard to
// case ("YYYYMMDD" is "yyyymmdd"). "m" always means the month: the pictures of this
// system write minutes as "n" ("h時n分s秒", "hh:nn:ss"), so "m" after "h" is not
// treated as minutes.
#include <algorithm>
#include <array>
#include <cstdio>

#include "client/core/formatting.h"

namespace tb {
namespace {

using namespace std::chrono;

struct Era {
  year_month_day start;
  std::string_view name;
  char letter;
};

// The first year of an era is written 1.
constexpr std::array<Era, 5> kEras = {{
    {year{1868} / January / 25, "明治", 'M'},
    {year{1912} / July / 30, "大正", 'T'},
    {year{1926} / December / 25, "昭和", 'S'},
    {year{1989} / January / 8, "平成", 'H'},
    {year{2019} / May / 1, "令和", 'R'},
}};

const Era* EraOf(year_month_day d) {
  for (auto it = kEras.rbegin(); it != kEras.rend(); ++it)
    if (d >= it->start) return &*it;
  return nullptr;
}

constexpr std::array<std::string_view, 7> kWeekdays = {
    "日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};

std::string Padded(long long v, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", width, v);
  return buf;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

struct DateParts {
  year_month_day ymd;
  hh_mm_ss<seconds> time{seconds{0}};
};

// One run of the same picture letter (e.g. "yyyy") as text; run is how many letters it
// used, at least 1. Letters that are no picture letter are copied.
std::string FormatRun(const DateParts& p, char letter, std::size_t& run) {
  const int y = static_cast<int>(p.ymd.year());
  const Era* era = EraOf(p.ymd);
  switch (letter) {
    case 'y':
      if (run >= 4) { run = 4; return Padded(y, 4); }
      if (run >= 2) { run = 2; return Padded(((y % 100) + 100) % 100, 2); }
      return std::to_string((sys_days{p.ymd} - sys_days{p.ymd.year() / January / 1}).count() + 1);
    case 'm':
      run = std::min<std::size_t>(run, 2);
      return Padded(static_cast<unsigned>(p.ymd.month()), static_cast<int>(run));
    case 'd':
      run = std::min<std::size_t>(run, 2);
      return Padded(static_cast<unsigned>(p.ymd.day()), static_cast<int>(run));
    case 'h':
      run = std::min<std::size_t>(run, 2);
      return Padded(p.time.hours().count(), static_cast<int>(run));
    case 'n':
      run = std::min<std::size_t>(run, 2);
      return Padded(p.time.minutes().count(), static_cast<int>(run));
    case 's':
      run = std::min<std::size_t>(run, 2);
      return Padded(p.time.seconds().count(), static_cast<int>(run));
    case 'e':
      run = std::min<std::size_t>(run, 2);
      return Padded(JapaneseEra(p.ymd).year, static_cast<int>(run));
    case 'g':
      if (!era) { run = std::min<std::size_t>(run, 3); return ""; }
      if (run >= 3) { run = 3; return std::string(era->name); }
      if (run == 2) return std::string(era->name.substr(0, 3));  // first character (UTF-8)
      return std::string(1, era->letter);
    case 'a':
      if (run >= 4) {
        run = 4;
        return std::string(kWeekdays[weekday{sys_days{p.ymd}}.c_encoding()]);
      }
      if (run == 3) return std::string(kWeekdays[weekday{sys_days{p.ymd}}.c_encoding()].substr(0, 3));
      break;
  }
  return std::string(run, letter);
}

std::string FormatParts(const DateParts& parts, std::string_view picture) {
  std::string out;
  for (std::size_t i = 0; i < picture.size();) {
    char letter = Lower(picture[i]);
    if (std::string_view("ymdhnsega").find(letter) == std::string_view::npos) {
      out += picture[i++];
      continue;
    }
    std::size_t run = 1;
    while (i + run < picture.size() && Lower(picture[i + run]) == letter) ++run;
    std::size_t used = run;
    std::string text = FormatRun(parts, letter, used);
    // Letters copied as they are keep the picture's own spelling.
    out += (text == std::string(used, letter)) ? std::string(picture.substr(i, used)) : text;
    i += used;
  }
  return out;
}

}  // namespace

EraYear JapaneseEra(year_month_day d) {
  const Era* era = EraOf(d);
  if (!era) return {"", static_cast<int>(d.year())};
  return {era->name, static_cast<int>(d.year()) - static_cast<int>(era->start.year()) + 1};
}

int DaysInMonth(int year, int month) {
  // Months outside 1..12 count on into the neighbouring years (month 13 is the next
  // January), as the range print steps through months past December.
  int zeroBased = month - 1;
  int yearShift = zeroBased >= 0 ? zeroBased / 12 : -((11 - zeroBased) / 12);
  unsigned m = static_cast<unsigned>(zeroBased - yearShift * 12 + 1);
  year_month_day_last last{std::chrono::year{year + yearShift} / std::chrono::month{m} / std::chrono::last};
  return static_cast<int>(static_cast<unsigned>(last.day()));
}

std::string FormatDate(LocalTime t, std::string_view picture) {
  auto day = floor<days>(t);
  DateParts parts{year_month_day{sys_days{day.time_since_epoch()}},
                  hh_mm_ss<seconds>{t - day}};
  return FormatParts(parts, picture);
}

std::string FormatDate(year_month_day d, std::string_view picture) {
  return FormatParts(DateParts{d, hh_mm_ss<seconds>{seconds{0}}}, picture);
}

}  // namespace tb
