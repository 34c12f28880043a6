#include "client/web/timer_table.h"

#include <algorithm>
#include <set>

namespace tb::web {

void TimerTable::Sync(const std::vector<Document*>& docs, Clock::time_point now) {
  std::set<std::pair<Document*, std::string>> running;
  int order = 0;
  for (Document* doc : docs) {
    for (const auto& c : doc->Controls().All()) {
      if (c->kind != ControlKind::kTimer) continue;
      ++order;
      if (c->interval <= 0) continue;
      auto key = std::make_pair(doc, c->Id());
      running.insert(key);
      auto it = entries_.find(key);
      if (it == entries_.end() || it->second.interval != c->interval) {
        entries_[key] = Entry{c->interval, now + std::chrono::milliseconds(c->interval), order};
      } else {
        it->second.order = order;
      }
    }
  }
  std::erase_if(entries_, [&](const auto& kv) { return !running.contains(kv.first); });
}

std::optional<TimerTable::Clock::time_point> TimerTable::NextDue() const {
  std::optional<Clock::time_point> next;
  for (const auto& [key, e] : entries_)
    if (!next || e.due < *next) next = e.due;
  return next;
}

std::vector<TimerTable::Due> TimerTable::TakeDue(Clock::time_point now) {
  std::vector<std::pair<int, Due>> due;
  for (auto& [key, e] : entries_) {
    if (e.due > now) continue;
    due.push_back({e.order, Due{key.first, key.second}});
    e.due = now + std::chrono::milliseconds(e.interval);
  }
  std::sort(due.begin(), due.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Due> out;
  for (auto& [order, d] : due) out.push_back(std::move(d));
  return out;
}

}  // namespace tb::web
