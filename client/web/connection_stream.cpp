#include "client/web/connection_stream.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tb::web {
namespace {

thread_local ConnectionStream* current = nullptr;

}  // namespace

bool SendAll(int fd, const char* data, std::size_t size, std::chrono::milliseconds timeout) {
  while (size > 0) {
    const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n > 0) {
      data += n;
      size -= static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{fd, POLLOUT, 0};
      const int ready = ::poll(&p, 1, static_cast<int>(timeout.count()));
      if (ready > 0 && !(p.revents & (POLLERR | POLLHUP | POLLNVAL))) continue;
      if (ready < 0 && errno == EINTR) continue;
    }
    return false;
  }
  return true;
}

ConnectionStream::ConnectionStream(Connection& c, std::chrono::milliseconds writeTimeout)
    : c_(c), writeTimeout_(writeTimeout), outer_(current) {
  current = this;
}

ConnectionStream::~ConnectionStream() { current = outer_; }

ConnectionStream* ConnectionStream::Current() { return current; }

bool ConnectionStream::is_readable() const { return read_ < c_.frame.Total(); }

bool ConnectionStream::is_writable() const { return !failed_ && !taker_; }

ssize_t ConnectionStream::read(char* ptr, size_t size) {
  const std::size_t end = std::min(c_.frame.Total(), c_.input.size());
  const std::size_t n = std::min(size, end - std::min(end, read_));
  std::memcpy(ptr, c_.input.data() + read_, n);
  read_ += n;
  return static_cast<ssize_t>(n);
}

ssize_t ConnectionStream::write(const char* ptr, size_t size) {
  if (failed_ || taker_) return -1;
  if (!SendAll(c_.fd, ptr, size, writeTimeout_)) {
    failed_ = true;
    return -1;
  }
  return static_cast<ssize_t>(size);
}

void ConnectionStream::get_remote_ip_and_port(std::string& ip, int& port) const {
  ip = c_.peerAddress;
  port = c_.peerPort;
}

// No handler reads the local end of a connection; it is left empty rather than asked of
// the kernel for every request.
void ConnectionStream::get_local_ip_and_port(std::string& ip, int& port) const {
  ip.clear();
  port = 0;
}

socket_t ConnectionStream::socket() const { return c_.fd; }

}  // namespace tb::web
