// Which periods an archive run has to write: for each kind, every closed period from the
// first date (given, or the kind's oldest period with rows) that the archive lacks, that
// had no rows before and has rows now, or whose rows changed since its newest version.
// A period whose rows have gone again (old rows purged from the database) keeps what the
// archive has. The result runs oldest first by closing time, over all kinds.
#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <vector>

#include "client/archive/manifest_store.h"
#include "client/archive/period_calendar.h"
#include "client/archive/period_data.h"

namespace tb::archive {

struct PlanInput {
  std::vector<Kind> kinds{Kind::kDaily, Kind::kMonthly, Kind::kYearly};
  std::optional<std::chrono::year_month_day> from;
  LocalTime now{};
  // Grace time after a period's end, by kind (daily, monthly, yearly).
  std::array<std::chrono::minutes, 3> grace{std::chrono::hours{1}, std::chrono::days{1}, std::chrono::days{1}};
  PeriodStarts starts;
};

enum class DueReason { kNew, kRowsArrived, kChanged };

struct DuePeriod {
  Period period;
  LocalTime closedAt{};
  DueReason reason = DueReason::kNew;
};

// Throws db::DbError when the data database cannot be read, ArchiveError for a manifest
// that cannot be read.
[[nodiscard]] std::vector<DuePeriod> PlanDuePeriods(const PlanInput& in, PeriodData& data,
                                                    ManifestStore& manifests);

// Whether the period is closed at `now` (its end plus the kind's grace has passed).
[[nodiscard]] bool IsClosed(const Period& p, const PlanInput& in);

}  // namespace tb::archive
