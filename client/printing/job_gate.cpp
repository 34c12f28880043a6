#include "client/printing/job_gate.h"

namespace tb::print {

JobGate::Ticket::~Ticket() {
  if (gate_ != nullptr) gate_->Leave();
}

JobGate::Ticket JobGate::Enter() {
  std::lock_guard lk(mu_);
  if (closed_) return Ticket();
  ++running_;
  return Ticket(this);
}

void JobGate::Leave() {
  std::lock_guard lk(mu_);
  if (--running_ == 0) idle_.notify_all();
}

void JobGate::Close() {
  std::lock_guard lk(mu_);
  closed_ = true;
}

void JobGate::Open() {
  std::lock_guard lk(mu_);
  closed_ = false;
}

bool JobGate::WaitIdle(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lk(mu_);
  return idle_.wait_until(lk, deadline, [this] { return running_ == 0; });
}

int JobGate::Running() const {
  std::lock_guard lk(mu_);
  return running_;
}

JobGate& PrintJobs() {
  static JobGate gate;
  return gate;
}

}  // namespace tb::print
