#include "client/archive/archive_run.h"

#include <chrono>
#include <ctime>
#include <optional>

#include "client/archive/archive_error.h"
#include "client/archive/archive_host.h"
#include "client/archive/archive_layout.h"
#include "client/archive/archive_lock.h"
#include "client/archive/archive_printer.h"
#include "client/archive/durable_files.h"
#include "client/archive/manifest_store.h"
#include "client/archive/period_writer.h"
#include "client/core/formatting.h"
#include "client/printing/print_job.h"

namespace tb::archive {
namespace fs = std::filesystem;

namespace {

// Tries of a period whose data change while it is written (the logging side writing).
constexpr int kTriesOnDataChange = 3;

std::string WallClockText() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  return FormatDate(LocalTime{std::chrono::seconds{timegm(&local)}}, "yyyy-mm-dd hh:nn:ss");
}

std::string Describe(const PeriodOutcome& o, DueReason reason) {
  if (o.noData) return "no data (recorded)";
  std::string text = o.pdf + " and " + std::to_string(o.csvFiles) + " CSV file" + (o.csvFiles == 1 ? "" : "s");
  if (reason == DueReason::kChanged) text += " (the data changed since version " + std::to_string(o.version - 1) + ")";
  return text;
}

// The settings the client reads at start-up; any message there ends the run.
void ReadReportSettings(ClientState& s, ArchiveHost& host) {
  SetServerLocation(s, host.LocationUrl());
  ReadSettings(s, host);
  if (const auto m = host.TakeMessages(); !m.empty())
    throw ArchiveError("the report settings cannot be read (Vurodor.ini under " + s.env.shareRoot.string() +
                       ", TBWeb.ini in " + s.env.clientDir.string() + "): " + m.front());
}

std::unique_ptr<PeriodData> OpenData(const ClientState& s) {
  try {
    return std::make_unique<PeriodData>(s);
  } catch (const std::exception& e) {
    throw ArchiveError(std::string("the data database cannot be opened: ") + e.what());
  }
}

std::vector<DuePeriod> Plan(const RunOptions& o, const ClientState& s, PeriodData& data, ManifestStore& manifests) {
  PlanInput in = o.plan;
  in.starts = {s.gDayStartHour, s.gMonthStartDay, s.gYearStartMonth};
  try {
    return PlanDuePeriods(in, data, manifests);
  } catch (const ArchiveError&) {
    throw;
  } catch (const std::exception& e) {
    throw ArchiveError(std::string("the data database cannot be read: ") + e.what());
  }
}

PeriodOutcome WriteWithRetries(const WriterParts& parts, const Period& p) {
  for (int attempt = 1;; ++attempt) {
    try {
      return WritePeriod(parts, p);
    } catch (const DataChangedWhileWriting&) {
      if (attempt == kTriesOnDataChange) throw;
    }
  }
}

int Run(const RunOptions& o, std::ostream& out) {
  MakeFolders(o.archiveRoot);
  ArchiveLock lock(o.archiveRoot);
  RemoveLeftovers(o.archiveRoot);
  ArchiveHost host(o.plan.now);
  ClientState s;
  s.env = o.env;
  ReadReportSettings(s, host);
  auto data = OpenData(s);
  ManifestStore manifests(o.archiveRoot);
  const auto due = Plan(o, s, *data, manifests);
  const int n = static_cast<int>(std::min<std::size_t>(due.size(), static_cast<std::size_t>(std::max(o.maxPeriods, 0))));
  out << due.size() << " period" << (due.size() == 1 ? "" : "s") << " due";
  if (n < static_cast<int>(due.size())) out << ", " << n << " in this run (--max " << o.maxPeriods << ")";
  out << std::endl;
  if (n > 0 && !print::FormLibraryReady(s, host))
    throw ArchiveError("the form library cannot be loaded (" + s.env.formLibrary.string() + "): " +
                       host.TakeMessages().front());
  ArchivePrinter printer(o.archiveRoot / kControlFolder / "printer");
  const WriterParts parts{s, host, *data, printer, manifests, o.archiveRoot, WallClockText};
  for (int i = 0; i < n; ++i) {
    const auto& d = due[static_cast<std::size_t>(i)];
    out << "period " << (i + 1) << " of " << n << ": " << KindName(d.period.kind) << " " << KeyOf(d.period) << ": "
        << std::flush;
    try {
      out << Describe(WriteWithRetries(parts, d.period), d.reason) << std::endl;
    } catch (...) {
      out << "failed" << std::endl;
      throw;
    }
  }
  if (n < static_cast<int>(due.size())) {
    out << (due.size() - static_cast<std::size_t>(n)) << " more due; the next run goes on" << std::endl;
    return kExitMoreDue;
  }
  return kExitDone;
}

bool IsLeftover(const fs::path& p) {
  const std::string name = p.filename().string();
  return name == kStagingFolder || (name.starts_with(".") && name.find(".tmp-") != std::string::npos);
}

}  // namespace

void RemoveLeftovers(const fs::path& archiveRoot) {
  for (const Kind kind : {Kind::kDaily, Kind::kMonthly, Kind::kYearly}) {
    const fs::path top = archiveRoot / std::string(KindName(kind));
    std::error_code ec;
    if (!fs::is_directory(top, ec)) continue;
    std::vector<fs::path> found;
    const int depth = ManifestDepth(KindName(kind));
    for (auto it = fs::recursive_directory_iterator(top, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      if (IsLeftover(it->path())) {
        found.push_back(it->path());
        it.disable_recursion_pending();
      } else if (it.depth() + 1 >= depth) {
        it.disable_recursion_pending();  // period folders hold only finished files
      }
    }
    for (const auto& p : found) RemoveTree(p);
  }
}

int RunArchive(const RunOptions& options, std::ostream& out, std::ostream& err) {
  try {
    return Run(options, out);
  } catch (const std::exception& e) {
    err << "tbarchive: " << e.what() << std::endl;
    return kExitFailed;
  }
}

}  // namespace tb::archive
