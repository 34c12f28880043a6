#include "client/web/session_registry.h"

#include <vector>

#include "client/web/session_id.h"

namespace tb::web {

SessionRegistry::SessionRegistry(std::size_t maxSessions,
                                 std::chrono::steady_clock::duration idleLimit, ConfigFor configFor,
                                 std::chrono::steady_clock::duration unusedLimit)
    : maxSessions_(maxSessions),
      idleLimit_(idleLimit),
      unusedLimit_(unusedLimit),
      configFor_(std::move(configFor)) {}

SessionRegistry::~SessionRegistry() { EndAll(); }

std::shared_ptr<Session> SessionRegistry::Find(std::string_view id) {
  if (!IsWellFormedSessionId(id)) return nullptr;
  std::shared_ptr<Session> s;
  {
    std::lock_guard lk(mu_);
    auto it = sessions_.find(id);
    if (it == sessions_.end()) return nullptr;
    s = it->second;
  }
  if (s->Stopped()) return nullptr;
  s->Touch();
  return s;
}

std::optional<std::pair<std::string, std::shared_ptr<Session>>> SessionRegistry::Create() {
  // A full table first loses sessions nobody uses, so that page requests without a
  // browser behind them cannot lock browsers out for the whole idle limit.
  if (Count() >= maxSessions_) EndIdle(std::chrono::steady_clock::now(), /*full=*/true);
  auto id = NewSessionId();
  if (!id) return std::nullopt;
  std::lock_guard lk(mu_);
  if (sessions_.size() >= maxSessions_ || sessions_.contains(*id)) return std::nullopt;
  auto session = std::make_shared<Session>(configFor_(*id));
  sessions_.emplace(*id, session);
  return std::make_pair(*id, session);
}

std::size_t SessionRegistry::EndIdle(std::chrono::steady_clock::time_point now, bool full) {
  std::vector<std::shared_ptr<Session>> ended;
  {
    std::lock_guard lk(mu_);
    for (auto it = sessions_.begin(); it != sessions_.end();) {
      const auto idle = now - it->second->LastActive();
      const bool unused = full && !it->second->EverStreamed() && idle > unusedLimit_;
      if (it->second->Stopped() || idle > idleLimit_ || unused) {
        ended.push_back(std::move(it->second));
        it = sessions_.erase(it);
      } else {
        ++it;
      }
    }
  }
  // Stopped outside the lock: a session's handler may take a while to return.
  for (auto& s : ended) s->Stop();
  return ended.size();
}

std::size_t SessionRegistry::Count() const {
  std::lock_guard lk(mu_);
  return sessions_.size();
}

void SessionRegistry::EndAll() {
  std::map<std::string, std::shared_ptr<Session>, std::less<>> all;
  {
    std::lock_guard lk(mu_);
    all.swap(sessions_);
  }
  for (auto& [id, s] : all) s->Stop();
}

}  // namespace tb::web
