// The running timers of the documents a session shows: which timer fires next and when.
// A timer control runs while its interval is above 0; it first fires one interval after it
// was seen running (or after its interval changed) and then every interval after it last
// fired. Owned by a session's UI thread; not thread-safe.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "client/core/controls.h"

namespace tb::web {

class TimerTable {
 public:
  using Clock = std::chrono::steady_clock;
  struct Due {
    Document* doc;
    std::string id;
  };

  // Brings the table in line with the timer controls of `docs`: new or changed timers are
  // scheduled from `now`, stopped ones and those of documents no longer shown dropped.
  void Sync(const std::vector<Document*>& docs, Clock::time_point now);
  // When the next timer is due; nullopt when none runs.
  [[nodiscard]] std::optional<Clock::time_point> NextDue() const;
  // The timers due at `now`, in document then control order; each is rescheduled one
  // interval after `now`.
  std::vector<Due> TakeDue(Clock::time_point now);
  void Clear() { entries_.clear(); }

 private:
  struct Entry {
    int interval;
    Clock::time_point due;
    int order;
  };
  std::map<std::pair<Document*, std::string>, Entry> entries_;
};

}  // namespace tb::web
