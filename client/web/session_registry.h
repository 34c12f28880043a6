// The sessions of a server, by identifier: creation up to a limit, look-up, and the end
// of sessions that have been idle too long (their UI threads stop, their download folders
// go). Thread-safe.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "client/web/session.h"

namespace tb::web {

class SessionRegistry {
 public:
  // Makes the configuration of a new session with identifier `id`.
  using ConfigFor = std::function<SessionConfig(const std::string& id)>;

  SessionRegistry(std::size_t maxSessions, std::chrono::steady_clock::duration idleLimit,
                  ConfigFor configFor,
                  std::chrono::steady_clock::duration unusedLimit = std::chrono::seconds(10));
  ~SessionRegistry();

  // The live session `id`, marked active; nullptr when there is none.
  std::shared_ptr<Session> Find(std::string_view id);
  // A new session and its identifier; nullopt when the limit is reached even after idle
  // sessions were ended, or when no random identifier could be made.
  std::optional<std::pair<std::string, std::shared_ptr<Session>>> Create();
  // Ends the sessions idle since before `now` - idle limit, and, when `full`, those whose
  // page was never shown in a browser (no event stream) and idle for the unused limit;
  // returns how many.
  std::size_t EndIdle(std::chrono::steady_clock::time_point now, bool full = false);
  [[nodiscard]] std::size_t Count() const;
  void EndAll();

 private:
  std::size_t maxSessions_;
  std::chrono::steady_clock::duration idleLimit_, unusedLimit_;
  ConfigFor configFor_;
  mutable std::mutex mu_;
  std::map<std::string, std::shared_ptr<Session>, std::less<>> sessions_;
};

}  // namespace tb::web
