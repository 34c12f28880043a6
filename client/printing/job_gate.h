// The print jobs running in this process, and the gate a stopping server closes: once it
// is closed no new job starts (a range print ends after the job it is printing), and the
// server waits a bounded time for the jobs already running, so that every document it
// began is finished before the process ends. Thread-safe.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tb::print {

class JobGate {
 public:
  // One running job while it lives; false (nothing counted) when the gate was closed.
  class Ticket {
   public:
    Ticket() = default;
    Ticket(Ticket&& other) noexcept : gate_(other.gate_) { other.gate_ = nullptr; }
    Ticket& operator=(Ticket&&) = delete;
    Ticket(const Ticket&) = delete;
    ~Ticket();
    explicit operator bool() const { return gate_ != nullptr; }

   private:
    friend class JobGate;
    explicit Ticket(JobGate* gate) : gate_(gate) {}
    JobGate* gate_ = nullptr;
  };

  [[nodiscard]] Ticket Enter();
  void Close();
  void Open();
  // True once no job runs (at once when none does); false when `deadline` came first.
  bool WaitIdle(std::chrono::steady_clock::time_point deadline);
  [[nodiscard]] int Running() const;

 private:
  void Leave();

  mutable std::mutex mu_;
  std::condition_variable idle_;
  int running_ = 0;
  bool closed_ = false;
};

// The gate of this process's print jobs (the range print and the grid page's print).
JobGate& PrintJobs();

}  // namespace tb::print
