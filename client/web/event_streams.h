// The open event streams of all sessions, written by one thread: when a session
// publishes, each of its streams gets what it has not seen yet (the change list from the
// version it sent last, or the whole state when it is further behind or new); a stream
// that has sent nothing for `keepAlive` gets a comment line, which also keeps its session
// alive. A stream ends when its session ends (the response is finished and the
// connection given back for further requests), when the browser closes it, or when the
// browser reads so slowly that more than `maxBacklog` bytes wait for it (it then opens a
// new stream and starts again from the whole state). No stream holds a thread.
//
// Thread-safety: every method may be called from any thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

#include "client/web/connection.h"
#include "client/web/session.h"

namespace tb::web {

class EventStreams {
 public:
  // Gets a connection back once its stream has ended cleanly.
  using GiveBack = std::function<void(std::unique_ptr<Connection>)>;

  EventStreams(std::chrono::milliseconds keepAlive, GiveBack giveBack,
               std::size_t maxBacklog = 1 << 20);
  ~EventStreams();
  EventStreams(const EventStreams&) = delete;
  EventStreams& operator=(const EventStreams&) = delete;

  // Takes over `c`, on which the head of a chunked "text/event-stream" response has been
  // sent, as a stream of `session`; `onEnd` runs once when the stream ends.
  void Adopt(std::unique_ptr<Connection> c, std::shared_ptr<Session> session,
             std::function<void()> onEnd);
  // The session published a new state or stopped.
  void Changed(Session& session);
  // Ends every stream (without finishing the responses) and the writing thread.
  void Stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tb::web
