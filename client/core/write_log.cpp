// WriteLog: one line appended to the day's file in WEBLOG of the client folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

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

// Appends bytes to a regular file, creating it. The open does not block, so a named pipe
// of the day's name fails at once instead of holding the page until a reader comes.
void AppendToFile(const std::filesystem::path& file, std::string_view bytes) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd < 0) return;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
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
    AppendToFile(dir / stamp.fileName, platform::Utf8ToCp932(line));
  } catch (...) {
    // The log never stops the caller.
  }
}

}  // namespace tb
