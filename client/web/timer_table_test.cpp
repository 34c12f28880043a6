#include "client/web/timer_table.h"

#include <gtest/gtest.h>

namespace tb::web {
namespace {

using namespace std::chrono_literals;
using Clock = TimerTable::Clock;

class TimerDoc : public Document {
 public:
  TimerDoc() {
    for (const char* name : {"Timer1", "timDate"}) {
      Control c;
      c.name = name;
      c.kind = ControlKind::kTimer;
      controls_.Add(c);
    }
  }
  std::string_view Name() const override { return "doc"; }
  int Width() const override { return 1; }
  int Height() const override { return 1; }
  bool Handle(const UiEvent&) override { return true; }
  void Set(const char* id, int ms) { controls_[id].interval = ms; }
};

std::vector<std::string> Ids(const std::vector<TimerTable::Due>& due) {
  std::vector<std::string> out;
  for (const auto& d : due) out.push_back(d.id);
  return out;
}

TEST(TimerTableTest, FiresAfterItsIntervalInControlOrder) {
  TimerDoc doc;
  TimerTable t;
  const auto t0 = Clock::now();
  t.Sync({&doc}, t0);
  EXPECT_FALSE(t.NextDue()) << "no timer runs at design time";
  doc.Set("timDate", 1000);
  doc.Set("Timer1", 100);
  t.Sync({&doc}, t0);
  EXPECT_EQ(t.NextDue(), t0 + 100ms);
  EXPECT_TRUE(t.TakeDue(t0 + 99ms).empty());
  EXPECT_EQ(Ids(t.TakeDue(t0 + 100ms)), std::vector<std::string>{"Timer1"});
  EXPECT_EQ(Ids(t.TakeDue(t0 + 1000ms)), (std::vector<std::string>{"Timer1", "timDate"}));
  EXPECT_EQ(t.NextDue(), t0 + 1100ms) << "rescheduled one interval after firing";
}

TEST(TimerTableTest, StoppedChangedAndVanishedTimers) {
  TimerDoc doc, dialog;
  TimerTable t;
  const auto t0 = Clock::now();
  doc.Set("Timer1", 100);
  dialog.Set("timDate", 50);
  t.Sync({&doc, &dialog}, t0);
  doc.Set("Timer1", 0);  // the start-up stops itself
  t.Sync({&doc, &dialog}, t0 + 10ms);
  EXPECT_EQ(t.NextDue(), t0 + 50ms);
  t.Sync({&doc}, t0 + 20ms);  // the dialog closed
  EXPECT_FALSE(t.NextDue());
  doc.Set("Timer1", 100);
  t.Sync({&doc}, t0 + 30ms);
  doc.Set("Timer1", 300);  // a new interval starts counting again
  t.Sync({&doc}, t0 + 60ms);
  EXPECT_EQ(t.NextDue(), t0 + 360ms);
}

}  // namespace
}  // namespace tb::web
