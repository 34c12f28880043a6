// The web host's connection front: one thread that accepts connections and waits, with
// epoll, until a complete request (head and body) has arrived on one, and only then hands
// it to a worker thread. A client that connects and sends nothing, or sends its request
// a byte at a time, costs a socket and a small buffer, never a thread, and is bounded:
//  - each address may hold `maxPerAddress` connections and all together `maxConnections`;
//    past that a connection gets "503" and is closed at once;
//  - a connection that starts no request for `idleTimeout` is closed; a request must be
//    complete `requestTimeout` after its first byte ("408" otherwise);
//  - a head over `maxHead` bytes gets "431", a body over `maxBody` "413", a malformed
//    length "400", a request body with a transfer coding "501"; after such an answer the
//    rest of what the client sends is read and dropped for a moment before the close, so
//    that it sees the answer.
// A worker answers the request (see connection_stream.h) and gives the connection back
// with Return, to wait for the next request, or passes it on (an event stream).
//
// Thread-safety: Bind, then Serve on one thread; Stop and Return from any thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "client/web/connection.h"

namespace tb::web {

struct FrontLimits {
  std::size_t maxConnections = 4096;
  int maxPerAddress = 512;
  std::chrono::milliseconds idleTimeout{30000};
  std::chrono::milliseconds requestTimeout{10000};
  std::size_t maxHead = 32 * 1024;
  std::size_t maxBody = 64 * 1024;
  std::size_t workers = 48;
};

class ConnectionFront {
 public:
  // Answers the complete request at the start of the connection's input, on a worker.
  using Handler = std::function<void(std::unique_ptr<Connection>)>;

  ConnectionFront(FrontLimits limits, Handler handler);
  ~ConnectionFront();
  ConnectionFront(const ConnectionFront&) = delete;
  ConnectionFront& operator=(const ConnectionFront&) = delete;

  // Listens on host:port (0: any free port); the port, or -1.
  int Bind(const std::string& host, int port);
  [[nodiscard]] int ListeningSocket() const;
  // Serves until Stop; false when the listening socket failed. Workers start here.
  bool Serve();
  // Ends Serve: the listening socket and every waiting connection are closed, running
  // requests finish.
  void Stop();
  // A connection whose request was answered: kept for its next request, or closed.
  void Return(std::unique_ptr<Connection> c, bool keep);
  // Connections open now, wherever they are (front, workers, event streams).
  [[nodiscard]] std::size_t OpenConnections() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tb::web
