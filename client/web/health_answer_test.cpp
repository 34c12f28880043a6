#include "client/web/health_answer.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <vector>

namespace tb::web {
namespace {

using namespace std::chrono_literals;

TEST(HealthCache, ChecksAtMostOncePerAgeAndLogsEachChange) {
  std::atomic<int> checks{0};
  std::atomic<bool> healthy{true};
  std::ostringstream log;
  HealthCache cache(
      [&] {
        ++checks;
        std::this_thread::sleep_for(20ms);
        return healthy ? HealthResult{true, "", ""} : HealthResult{false, "share not readable", "gone"};
      },
      500ms, log);
  // Monitors asking at once share one check.
  std::vector<std::thread> askers;
  for (int i = 0; i < 4; ++i) askers.emplace_back([&] { EXPECT_TRUE(cache.Get().ok); });
  for (auto& t : askers) t.join();
  EXPECT_EQ(checks, 1);
  EXPECT_EQ(log.str(), "");  // a healthy start is not news

  healthy = false;
  EXPECT_TRUE(cache.Get().ok);  // still the cached answer
  std::this_thread::sleep_for(550ms);
  EXPECT_EQ(cache.Get().reason, "share not readable");
  std::this_thread::sleep_for(550ms);
  EXPECT_FALSE(cache.Get().ok);  // the same bad answer again is not logged twice
  healthy = true;
  std::this_thread::sleep_for(550ms);
  EXPECT_TRUE(cache.Get().ok);
  EXPECT_EQ(log.str(), "tbclient: unhealthy: share not readable (gone)\ntbclient: healthy again\n");
  EXPECT_EQ(checks, 4);
}

}  // namespace
}  // namespace tb::web
