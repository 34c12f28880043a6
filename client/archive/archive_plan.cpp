#include "client/archive/archive_plan.h"

#include <algorithm>
#include <set>

#include "client/archive/archive_layout.h"

namespace tb::archive {

namespace {

LocalTime ClosingTime(const Period& p, const PlanInput& in) {
  return PeriodEnd(p, in.starts) + in.grace[static_cast<int>(p.kind) - 1];
}

std::optional<DueReason> ReasonDue(const Period& p, bool hasRows, PeriodData& data, ManifestStore& manifests) {
  const auto state = manifests.Get(ManifestFolder(p)).StateOf(KeyOf(p));
  if (!state) return DueReason::kNew;
  if (!hasRows) return std::nullopt;
  if (state->noData) return DueReason::kRowsArrived;
  if (data.Read(p).fingerprint != state->data) return DueReason::kChanged;
  return std::nullopt;
}

void PlanKind(Kind kind, const PlanInput& in, PeriodData& data, ManifestStore& manifests,
              std::vector<DuePeriod>& due) {
  const std::set<Period> withRows = data.PeriodsWithRows(kind);
  std::optional<Period> first;
  if (in.from) first = PeriodContaining(kind, *in.from, in.starts);
  else if (!withRows.empty()) first = *withRows.begin();
  if (!first) return;
  for (Period p = *first; IsClosed(p, in); p = NextPeriod(p)) {
    if (auto reason = ReasonDue(p, withRows.contains(p), data, manifests))
      due.push_back({p, ClosingTime(p, in), *reason});
  }
}

}  // namespace

bool IsClosed(const Period& p, const PlanInput& in) { return ClosingTime(p, in) <= in.now; }

std::vector<DuePeriod> PlanDuePeriods(const PlanInput& in, PeriodData& data, ManifestStore& manifests) {
  std::vector<DuePeriod> due;
  for (const Kind kind : in.kinds) PlanKind(kind, in, data, manifests, due);
  std::stable_sort(due.begin(), due.end(), [](const DuePeriod& a, const DuePeriod& b) {
    return std::make_pair(a.closedAt, a.period.kind) < std::make_pair(b.closedAt, b.period.kind);
  });
  return due;
}

}  // namespace tb::archive
