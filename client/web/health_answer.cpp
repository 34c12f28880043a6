#include "client/web/health_answer.h"

namespace tb::web {

HealthResult HealthCache::Get() {
  std::lock_guard lk(mu_);
  const auto now = Clock::now();
  if (last_ && now - checkedAt_ < maxAge_) return *last_;
  HealthResult fresh = check_();
  const bool changed = !last_ || last_->ok != fresh.ok || last_->reason != fresh.reason;
  // The first answer is logged only when it is bad: a healthy start says nothing new.
  if (changed && (last_ || !fresh.ok)) {
    if (fresh.ok) {
      log_ << "tbclient: healthy again" << std::endl;
    } else {
      log_ << "tbclient: unhealthy: " << fresh.reason << " (" << fresh.detail << ")" << std::endl;
    }
  }
  last_ = fresh;
  checkedAt_ = Clock::now();
  return fresh;
}

}  // namespace tb::web
