#include "client/printing/job_gate.h"

#include <gtest/gtest.h>

#include <optional>
#include <thread>

namespace tb::print {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

TEST(JobGate, AClosedGateAdmitsNoJobAndWaitsForThoseRunning) {
  JobGate gate;
  EXPECT_TRUE(gate.WaitIdle(steady_clock::now()));  // nothing runs
  std::optional<JobGate::Ticket> running(gate.Enter());
  ASSERT_TRUE(*running);
  EXPECT_EQ(gate.Running(), 1);
  gate.Close();
  {
    auto refused = gate.Enter();
    EXPECT_FALSE(refused);
  }
  EXPECT_EQ(gate.Running(), 1);  // a refused ticket is not counted, nor uncounted
  EXPECT_FALSE(gate.WaitIdle(steady_clock::now() + milliseconds(20)));

  std::thread finisher([&] {
    std::this_thread::sleep_for(milliseconds(50));
    running.reset();
  });
  const auto start = steady_clock::now();
  EXPECT_TRUE(gate.WaitIdle(start + std::chrono::seconds(10)));
  EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(5));
  finisher.join();
  EXPECT_EQ(gate.Running(), 0);

  gate.Open();
  auto again = gate.Enter();
  EXPECT_TRUE(again);
  auto moved = std::move(again);
  EXPECT_FALSE(again);  // NOLINT: the moved-from ticket no longer counts
  EXPECT_EQ(gate.Running(), 1);
}

}  // namespace
}  // namespace tb::print
