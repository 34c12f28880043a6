// The request a worker answers, as the HTTP library reads and writes it: reads come from
// the request the connection front has already received whole (never from the socket, so
// a slow client cannot hold the worker), writes go to the socket and wait while it is
// full, up to a time limit.
//
// A handler may take the connection over once the head of its response is written (an
// event stream): HandOver names who gets it; the library's later writes are dropped.
// Used by the one worker thread that answers the request.
#pragma once

#include <httplib.h>

#include <chrono>
#include <functional>
#include <memory>

#include "client/web/connection.h"

namespace tb::web {

class ConnectionStream final : public httplib::Stream {
 public:
  using Taker = std::function<void(std::unique_ptr<Connection>)>;

  ConnectionStream(Connection& c, std::chrono::milliseconds writeTimeout);
  ~ConnectionStream() override;
  ConnectionStream(const ConnectionStream&) = delete;
  ConnectionStream& operator=(const ConnectionStream&) = delete;

  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char* ptr, size_t size) override;
  ssize_t write(const char* ptr, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  socket_t socket() const override;

  // The stream of the request the calling thread answers; nullptr outside a request.
  static ConnectionStream* Current();
  [[nodiscard]] const Connection& Of() const { return c_; }

  void HandOver(Taker taker) { taker_ = std::move(taker); }
  [[nodiscard]] Taker TakeHandOver() { return std::move(taker_); }
  // True once a write failed or timed out: the connection is of no further use.
  [[nodiscard]] bool Failed() const { return failed_; }

 private:
  Connection& c_;
  std::chrono::milliseconds writeTimeout_;
  std::size_t read_ = 0;
  bool failed_ = false;
  Taker taker_;
  ConnectionStream* outer_;
};

// Writes all of `data` to a non-blocking socket, waiting while it is full; false when
// that fails or makes no progress for `timeout`.
bool SendAll(int fd, const char* data, std::size_t size, std::chrono::milliseconds timeout);

}  // namespace tb::web
