// WriteLog: one line appended to the day's file in WEBLOG of the client folder.
#include <cstdio>
#include <fstream>

#include "client/core/client_state.h"
#include "client/core/host.h"
#include "platform/codepage.h"
#include "platform/share_path.h"

namespace tb {
namespace {

struct Stamp {
  char fileName[16];  // YYYYMMDD.txt
  char dateTime[24];  // yyyy/mm/dd,hh:nn:ss
};

Stamp MakeStamp(LocalTime t) {
  const auto day = std::chrono::floor<std::chrono::days>(t);
  const std::chrono::year_month_day ymd{day};
  const std::chrono::hh_mm_ss hms{t - day};
  const int y = static_cast<int>(ymd.year());
  const unsigned m = static_cast<unsigned>(ymd.month()), d = static_cast<unsigned>(ymd.day());
  Stamp s{};
  std::snprintf(s.fileName, sizeof s.fileName, "%04d%02u%02u.txt", y, m, d);
  std::snprintf(s.dateTime, sizeof s.dateTime, "%04d/%02u/%02u,%02d:%02d:%02d", y, m, d,
                static_cast<int>(hms.hours().count()), static_cast<int>(hms.minutes().count()),
                static_cast<int>(hms.seconds().count()));
  return s;
}

}  // namespace

void WriteLog(ClientState& s, Host& host, std::string_view first, std::string_view second) {
  try {
    // Without a client folder there is nowhere the log may go.
    if (s.env.clientDir.empty()) return;
    // One reading of the clock for the file name and the line, so that a line written
    // at midnight carries the date of the file it is in.
    const Stamp stamp = MakeStamp(host.Now());
    auto dir = platform::FindEntryIgnoringCase(s.env.clientDir, "WEBLOG")
                   .value_or(s.env.clientDir / "WEBLOG");
    std::error_code ec;
    std::filesystem::create_directory(dir, ec);
    std::string line = std::string(stamp.dateTime) + "," + std::string(first) + "," +
                       std::string(second) + "\r\n";
    std::ofstream out(dir / stamp.fileName, std::ios::binary | std::ios::app);
    out << platform::Utf8ToCp932(line);
  } catch (...) {
    // The log never stops the caller.
  }
}

}  // namespace tb
