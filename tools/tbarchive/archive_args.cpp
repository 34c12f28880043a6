#include "tools/tbarchive/archive_args.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>

#include "client/core/installation_config.h"

namespace tbarchive {
namespace {

using namespace std::chrono;
using tb::archive::Kind;

std::optional<int> Number(std::string_view text, int lo, int hi) {
  int v = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || p != text.data() + text.size() || text.empty() || v < lo || v > hi) return std::nullopt;
  return v;
}

// "YYYY-MM-DD", an existing date.
std::optional<year_month_day> Date(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto y = Number(text.substr(0, 4), 1000, 9999);
  const auto m = Number(text.substr(5, 2), 1, 12);
  const auto d = Number(text.substr(8, 2), 1, 31);
  if (!y || !m || !d) return std::nullopt;
  const year_month_day ymd{year{*y}, month{static_cast<unsigned>(*m)}, day{static_cast<unsigned>(*d)}};
  return ymd.ok() ? std::optional(ymd) : std::nullopt;
}

// "YYYY-MM-DD HH:MM" in local time.
std::optional<tb::LocalTime> Moment(std::string_view text) {
  if (text.size() != 16 || text[10] != ' ' || text[13] != ':') return std::nullopt;
  const auto d = Date(text.substr(0, 10));
  const auto h = Number(text.substr(11, 2), 0, 23);
  const auto m = Number(text.substr(14, 2), 0, 59);
  if (!d || !h || !m) return std::nullopt;
  return tb::LocalTime{local_days{*d}.time_since_epoch()} + hours{*h} + minutes{*m};
}

// A duration: a whole number and a unit, "90m", "1h", "2d".
std::optional<minutes> Duration(std::string_view text) {
  if (text.size() < 2) return std::nullopt;
  const auto n = Number(text.substr(0, text.size() - 1), 0, 1000000);
  if (!n) return std::nullopt;
  switch (text.back()) {
    case 'm': return minutes{*n};
    case 'h': return hours{*n};
    case 'd': return days{*n};
  }
  return std::nullopt;
}

std::optional<std::vector<Kind>> Kinds(std::string_view text) {
  std::vector<Kind> kinds;
  for (std::size_t pos = 0; pos <= text.size();) {
    const std::size_t comma = std::min(text.find(',', pos), text.size());
    const auto kind = tb::archive::KindFromName(text.substr(pos, comma - pos));
    if (!kind) return std::nullopt;
    if (std::find(kinds.begin(), kinds.end(), *kind) == kinds.end()) kinds.push_back(*kind);
    pos = comma + 1;
  }
  return kinds;
}

// Applies one flag and its value; returns the complaint, or empty.
std::string Apply(tb::archive::RunOptions& o, const std::string& flag, const std::string& v) {
  if (flag == "--share-root") o.env.shareRoot = v;
  else if (flag == "--client-dir") o.env.clientDir = v;
  else if (flag == "--archive") o.archiveRoot = v;
  else if (flag == "--cache-dir") o.env.jetCacheDir = v;
  else if (flag == "--form-library") o.env.formLibrary = v;
  else if (flag == "--kinds") {
    auto k = Kinds(v);
    if (!k) return "--kinds wants daily, monthly and yearly separated by commas, got " + v;
    o.plan.kinds = *k;
  } else if (flag == "--from") {
    auto d = Date(v);
    if (!d) return "--from wants a date YYYY-MM-DD, got " + v;
    o.plan.from = *d;
  } else if (flag == "--max") {
    auto n = Number(v, 0, 1000000);
    if (!n) return "--max wants a number of periods (0 to 1000000), got " + v;
    o.maxPeriods = *n;
  } else if (flag == "--now") {
    auto t = Moment(v);
    if (!t) return "--now wants \"YYYY-MM-DD HH:MM\", got " + v;
    o.plan.now = *t;
  } else {
    const std::map<std::string, int> grace{{"--daily-grace", 0}, {"--monthly-grace", 1}, {"--yearly-grace", 2}};
    const auto it = grace.find(flag);
    if (it == grace.end()) return "unknown option: " + flag;
    auto d = Duration(v);
    if (!d) return flag + " wants a duration such as 90m, 1h or 2d, got " + v;
    o.plan.grace[static_cast<std::size_t>(it->second)] = *d;
  }
  return {};
}

// The configuration file: the installation's shared settings (the printer settings are
// the web host's: the archive prints on its own printer), then the [tbarchive] section,
// whose keys are this program's flags without "--".
std::string ApplyConfig(tb::archive::RunOptions& o, const std::filesystem::path& file) {
  std::string error;
  const auto config = tb::LoadInstallationConfig(file, "tbarchive", &error);
  if (!config) return error;
  o.env.shareRoot = config->shared.shareRoot;
  o.env.clientDir = config->shared.clientDir;
  o.env.jetCacheDir = config->shared.cacheDir;
  o.env.formLibrary = config->shared.formLibrary;
  o.archiveRoot = config->shared.archiveDir;
  for (const auto& e : config->own) {
    std::string why = e.key == "config" ? "config cannot be set in the file" : Apply(o, "--" + e.key, e.value);
    if (!why.empty()) return file.string() + ":" + std::to_string(e.line) + ": " + why;
  }
  return {};
}

}  // namespace

std::variant<tb::archive::RunOptions, HelpWanted, ArgError> ParseArchiveArgs(const std::vector<std::string>& args,
                                                                             const ArgDefaults& defaults) {
  tb::archive::RunOptions o;
  o.plan.now = defaults.now;
  // First --help, the shape of the line and the configuration file, wherever they stand.
  std::filesystem::path config;
  for (std::size_t i = 0; i < args.size(); i += 2) {
    if (args[i] == "--help" || args[i] == "-h") return HelpWanted{};
    if (!args[i].starts_with("--")) return ArgError{"unexpected argument: " + args[i]};
    if (i + 1 >= args.size() || args[i + 1].empty()) return ArgError{args[i] + " needs a value"};
    if (args[i] == "--config") config = args[i + 1];
  }
  if (!config.empty())
    if (auto why = ApplyConfig(o, config); !why.empty()) return ArgError{why};
  for (std::size_t i = 0; i < args.size(); i += 2)
    if (args[i] != "--config")
      if (auto why = Apply(o, args[i], args[i + 1]); !why.empty()) return ArgError{why};
  if (o.env.shareRoot.empty()) return ArgError{"--share-root is required"};
  if (o.env.clientDir.empty()) return ArgError{"--client-dir is required"};
  if (o.archiveRoot.empty()) return ArgError{"--archive is required"};
  if (auto why = tb::UnreadableFolder(o.env.shareRoot, "share root")) return ArgError{*why};
  if (auto why = tb::UnreadableFolder(o.env.clientDir, "client folder")) return ArgError{*why};
  if (o.env.formLibrary.empty()) o.env.formLibrary = defaults.formLibrary;
  if (o.env.jetCacheDir.empty()) o.env.jetCacheDir = defaults.cacheDir;
  std::error_code ec;
  o.env.shareRoot = std::filesystem::absolute(o.env.shareRoot, ec);
  o.env.clientDir = std::filesystem::absolute(o.env.clientDir, ec);
  o.archiveRoot = std::filesystem::absolute(o.archiveRoot, ec);
  return o;
}

std::string ArchiveUsage() {
  return "Usage: tbarchive --share-root DIR --client-dir DIR --archive DIR [options]\n"
         "       tbarchive --config FILE [options]\n"
         "Archives every closed report period as PDF and CSV files, one pass, then exits.\n\n"
         "  --share-root DIR      folder that stands for the share \\\\HOST\\vurodor (required)\n"
         "  --client-dir DIR      client folder holding TBWeb.ini (required)\n"
         "  --archive DIR         archive folder (required; created when missing)\n"
         "  --kinds LIST          daily,monthly,yearly (default all three)\n"
         "  --from YYYY-MM-DD     first period to archive (default: the oldest with data)\n"
         "  --max N               at most N periods in this run (default 400)\n"
         "  --now \"YYYY-MM-DD HH:MM\"  the time to decide which periods are closed (default: now)\n"
         "  --daily-grace D       time after a period's last row before it is archived\n"
         "  --monthly-grace D     (D such as 90m, 1h, 2d; defaults 1h, 1d, 1d)\n"
         "  --yearly-grace D\n"
         "  --cache-dir DIR       folder for caches of imported Jet files\n"
         "                        (default $XDG_CACHE_HOME/tbarchive or ~/.cache/tbarchive)\n"
         "  --form-library PATH   form-printing library (default: the installed one)\n"
         "  --config FILE         read the settings from FILE (for example /etc/tbclient/tbclient.conf:\n"
         "                        the shared settings and the [tbarchive] section); flags given here win\n"
         "  --help                this text\n\n"
         "Exit status: 0 everything due is archived, 1 a failure (the message says what),\n"
         "2 bad arguments, 3 stopped at --max with more periods due.\n";
}

}  // namespace tbarchive
