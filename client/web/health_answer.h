// The web host's health answer (GET /healthz): the installation check of client/core, run
// at most once per `maxAge` however often monitors ask (callers that arrive during a check
// wait for it and share its result), with a line in the log whenever the answer changes,
// so that the journal shows when and why the service became unhealthy. Thread-safe.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>

#include "client/core/health_check.h"

namespace tb::web {

class HealthCache {
 public:
  using Check = std::function<HealthResult()>;
  using Clock = std::chrono::steady_clock;

  HealthCache(Check check, Clock::duration maxAge, std::ostream& log)
      : check_(std::move(check)), maxAge_(maxAge), log_(log) {}

  HealthResult Get();

 private:
  Check check_;
  Clock::duration maxAge_;
  std::ostream& log_;
  std::mutex mu_;
  std::optional<HealthResult> last_;
  Clock::time_point checkedAt_;
};

}  // namespace tb::web
