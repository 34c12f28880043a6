#include "client/web/connection_front.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <httplib.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

#include "client/web/request_framing.h"

namespace tb::web {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kReadChunk = 16 * 1024;
constexpr auto kLinger = std::chrono::seconds(2);
constexpr std::size_t kMaxDrained = 1 << 20;

std::string Canned(int status, const char* reason) {
  const std::string body = std::to_string(status) + " " + reason + "\n";
  return "HTTP/1.1 " + std::to_string(status) + " " + reason +
         "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// The text form of a peer's address; IPv4 peers of an IPv6 socket as plain IPv4.
std::pair<std::string, int> PeerOf(const sockaddr_storage& addr) {
  char text[INET6_ADDRSTRLEN] = {};
  if (addr.ss_family == AF_INET) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(&addr);
    ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
    return {text, ntohs(in->sin_port)};
  }
  const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&addr);
  if (IN6_IS_ADDR_V4MAPPED(&in6->sin6_addr)) {
    ::inet_ntop(AF_INET, &in6->sin6_addr.s6_addr[12], text, sizeof text);
  } else {
    ::inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text);
  }
  return {text, ntohs(in6->sin6_port)};
}

// The connections the descriptor limit leaves room for, with some to spare for files
// (databases, logs, the form library's output) and the event streams' own needs.
std::size_t DescriptorRoom(std::size_t wanted) {
  rlimit lim{};
  if (::getrlimit(RLIMIT_NOFILE, &lim) != 0 || lim.rlim_cur == RLIM_INFINITY) return wanted;
  const std::size_t reserve = 128;
  const std::size_t room = lim.rlim_cur > reserve * 2 ? lim.rlim_cur - reserve : lim.rlim_cur / 2;
  return std::min(wanted, room);
}

}  // namespace

struct ConnectionFront::Impl {
  enum class Phase { kWaiting, kReading, kLingering };
  struct Owned {
    std::unique_ptr<Connection> c;
    Phase phase = Phase::kWaiting;
    Clock::time_point deadline;
    std::string out;  // the rest of a refusal not yet sent
    std::size_t drained = 0;
  };

  Impl(FrontLimits l, Handler h)
      : limits(l), handler(std::move(h)),
        limiter(AddressLimiter::Make(l.maxPerAddress, DescriptorRoom(l.maxConnections))) {}

  FrontLimits limits;
  Handler handler;
  std::shared_ptr<AddressLimiter> limiter;
  int listenFd = -1, epollFd = -1, wakeFd = -1, spareFd = -1;
  std::atomic<bool> stopping{false};
  std::unordered_map<int, Owned> owned;
  std::mutex returnMu;
  std::vector<std::pair<std::unique_ptr<Connection>, bool>> returned;
  bool serving = false;  // guarded by returnMu
  std::unique_ptr<httplib::ThreadPool> pool;

  void Wake() {
    const std::uint64_t one = 1;
    (void)!::write(wakeFd, &one, sizeof one);
  }
  void Watch(int fd) {
    epoll_event ev{};
    ev.events = EPOLLIN | EPOLLRDHUP;
    ev.data.fd = fd;
    ::epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &ev);
  }
  void Loop();
  void AcceptAll();
  void AcceptOne(int fd, const sockaddr_storage& addr);
  void OnReadable(int fd);
  void Advance(int fd, Owned& o);
  void HandOff(int fd);
  void Refuse(int fd, Owned& o, int status, const char* reason);
  void Flush(int fd, Owned& o);
  void Close(int fd);
  void AdoptReturned();
  void Sweep(Clock::time_point now);
};

void ConnectionFront::Impl::Loop() {
  std::vector<epoll_event> events(256);
  auto nextSweep = Clock::now();
  while (!stopping) {
    const int n = ::epoll_wait(epollFd, events.data(), static_cast<int>(events.size()), 250);
    if (n < 0 && errno != EINTR) break;
    for (int i = 0; i < n; ++i) {
      const int fd = events[i].data.fd;
      if (fd == listenFd) {
        AcceptAll();
      } else if (fd == wakeFd) {
        AdoptReturned();
      } else {
        // A refusal still going out is sent on; everything else is read.
        auto it = owned.find(fd);
        if (it != owned.end() && (events[i].events & EPOLLOUT) && !it->second.out.empty())
          Flush(fd, it->second);
        if (owned.contains(fd) && (events[i].events & ~EPOLLOUT)) OnReadable(fd);
      }
    }
    const auto now = Clock::now();
    if (now >= nextSweep) {
      Sweep(now);
      nextSweep = now + std::chrono::milliseconds(100);
    }
  }
}

void ConnectionFront::Impl::AcceptAll() {
  for (;;) {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    const int fd = ::accept4(listenFd, reinterpret_cast<sockaddr*>(&addr), &len,
                             SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) {
      AcceptOne(fd, addr);
      continue;
    }
    if (errno == EINTR || errno == ECONNABORTED) continue;
    if ((errno == EMFILE || errno == ENFILE) && spareFd >= 0) {
      // Out of descriptors: the spare one makes room to take the connection off the
      // queue and close it, instead of leaving it there to wake the loop forever.
      ::close(spareFd);
      const int dropped = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
      if (dropped >= 0) ::close(dropped);
      spareFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
      continue;
    }
    return;  // EAGAIN, or an error the next readiness reports again
  }
}

void ConnectionFront::Impl::AcceptOne(int fd, const sockaddr_storage& addr) {
  auto [peer, port] = PeerOf(addr);
  auto slot = limiter->Acquire(peer);
  if (!slot.Held()) {
    static const std::string busy = Canned(503, "Service Unavailable");
    (void)!::send(fd, busy.data(), busy.size(), MSG_NOSIGNAL);
    ::close(fd);
    return;
  }
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  Owned o;
  o.c = std::make_unique<Connection>(fd, std::move(peer), port, std::move(slot));
  o.deadline = Clock::now() + limits.idleTimeout;
  owned.emplace(fd, std::move(o));
  Watch(fd);
}

void ConnectionFront::Impl::OnReadable(int fd) {
  auto it = owned.find(fd);
  if (it == owned.end()) return;
  Owned& o = it->second;
  char buf[kReadChunk];
  for (;;) {
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n > 0) {
      if (o.phase == Phase::kLingering) {
        o.drained += static_cast<std::size_t>(n);
        if (o.drained > kMaxDrained) return Close(fd);
        continue;
      }
      if (o.phase == Phase::kWaiting) {
        o.phase = Phase::kReading;
        o.c->started = Clock::now();
        o.deadline = o.c->started + limits.requestTimeout;
      }
      o.c->input.append(buf, static_cast<std::size_t>(n));
      if (o.c->input.size() > limits.maxHead + limits.maxBody) break;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    return Close(fd);  // closed by the peer, or failed
  }
  if (o.phase == Phase::kReading) Advance(fd, o);
}

// Frames the input: a complete request goes to a worker, a refused one is answered here.
void ConnectionFront::Impl::Advance(int fd, Owned& o) {
  Connection& c = *o.c;
  c.frame = FrameRequest(c.input, limits.maxHead, limits.maxBody);
  using S = RequestFrame::Status;
  switch (c.frame.status) {
    case S::kComplete:
      c.complete = Clock::now();
      return HandOff(fd);
    case S::kIncomplete:
      if (c.frame.headLength > 0 && c.frame.expectsContinue && !c.continueSent) {
        static const std::string proceed = "HTTP/1.1 100 Continue\r\n\r\n";
        (void)!::send(fd, proceed.data(), proceed.size(), MSG_NOSIGNAL);
        c.continueSent = true;
      }
      return;
    case S::kHeadTooLarge: return Refuse(fd, o, 431, "Request Header Fields Too Large");
    case S::kBodyTooLarge: return Refuse(fd, o, 413, "Payload Too Large");
    case S::kBadLength: return Refuse(fd, o, 400, "Bad Request");
    case S::kTransferEncoding: return Refuse(fd, o, 501, "Not Implemented");
  }
}

void ConnectionFront::Impl::HandOff(int fd) {
  auto node = owned.extract(fd);
  ::epoll_ctl(epollFd, EPOLL_CTL_DEL, fd, nullptr);
  // The pool takes copyable jobs only; the job owns the connection from here.
  Connection* c = node.mapped().c.release();
  pool->enqueue([this, c] { handler(std::unique_ptr<Connection>(c)); });
}

void ConnectionFront::Impl::Refuse(int fd, Owned& o, int status, const char* reason) {
  o.out = Canned(status, reason);
  o.phase = Phase::kLingering;
  o.deadline = Clock::now() + kLinger;
  o.c->input.clear();
  Flush(fd, o);
}

// Sends what is left of a refusal; once all is out, the sending side is shut, and the
// connection lingers (reads are dropped) until the client closes or the time is up.
void ConnectionFront::Impl::Flush(int fd, Owned& o) {
  while (!o.out.empty()) {
    const ssize_t n = ::send(fd, o.out.data(), o.out.size(), MSG_NOSIGNAL);
    if (n > 0) {
      o.out.erase(0, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      epoll_event ev{};
      ev.events = EPOLLIN | EPOLLOUT | EPOLLRDHUP;
      ev.data.fd = fd;
      ::epoll_ctl(epollFd, EPOLL_CTL_MOD, fd, &ev);
      return;
    }
    return Close(fd);
  }
  epoll_event ev{};
  ev.events = EPOLLIN | EPOLLRDHUP;
  ev.data.fd = fd;
  ::epoll_ctl(epollFd, EPOLL_CTL_MOD, fd, &ev);
  ::shutdown(fd, SHUT_WR);
}

void ConnectionFront::Impl::Close(int fd) {
  ::epoll_ctl(epollFd, EPOLL_CTL_DEL, fd, nullptr);
  owned.erase(fd);  // the connection's destructor closes the socket
}

void ConnectionFront::Impl::AdoptReturned() {
  std::uint64_t count = 0;
  (void)!::read(wakeFd, &count, sizeof count);
  std::vector<std::pair<std::unique_ptr<Connection>, bool>> batch;
  {
    std::lock_guard lk(returnMu);
    batch.swap(returned);
  }
  for (auto& [c, keep] : batch) {
    if (!keep || stopping) continue;  // closed as the batch goes
    const int fd = c->fd;
    Owned o;
    o.c = std::move(c);
    o.deadline = Clock::now() + limits.idleTimeout;
    auto& placed = owned.emplace(fd, std::move(o)).first->second;
    Watch(fd);
    if (!placed.c->input.empty()) {  // the next request came with the last one
      placed.phase = Phase::kReading;
      placed.c->started = Clock::now();
      placed.deadline = placed.c->started + limits.requestTimeout;
      Advance(fd, placed);
    }
  }
}

void ConnectionFront::Impl::Sweep(Clock::time_point now) {
  std::vector<int> expired;
  for (auto& [fd, o] : owned)
    if (o.deadline <= now) expired.push_back(fd);
  for (int fd : expired) {
    Owned& o = owned.at(fd);
    if (o.phase == Phase::kReading) Refuse(fd, o, 408, "Request Timeout");
    else Close(fd);  // idle, or done lingering
  }
}

ConnectionFront::ConnectionFront(FrontLimits limits, Handler handler)
    : impl_(std::make_unique<Impl>(limits, std::move(handler))) {
  impl_->epollFd = ::epoll_create1(EPOLL_CLOEXEC);
  impl_->wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  impl_->spareFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  epoll_event ev{};
  ev.events = EPOLLIN;
  ev.data.fd = impl_->wakeFd;
  ::epoll_ctl(impl_->epollFd, EPOLL_CTL_ADD, impl_->wakeFd, &ev);
}

ConnectionFront::~ConnectionFront() {
  Stop();
  for (int fd : {impl_->listenFd, impl_->epollFd, impl_->wakeFd, impl_->spareFd})
    if (fd >= 0) ::close(fd);
}

int ConnectionFront::Bind(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (::getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &found) != 0)
    return -1;
  int fd = -1;
  for (addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
    fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd, SOMAXCONN) != 0) {
      ::close(fd);
      fd = -1;
    }
  }
  ::freeaddrinfo(found);
  if (fd < 0) return -1;
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  impl_->listenFd = fd;
  return PeerOf(addr).second;
}

int ConnectionFront::ListeningSocket() const { return impl_->listenFd; }

bool ConnectionFront::Serve() {
  Impl& m = *impl_;
  if (m.listenFd < 0 || m.epollFd < 0 || m.wakeFd < 0) return false;
  m.Watch(m.listenFd);
  m.pool = std::make_unique<httplib::ThreadPool>(m.limits.workers);
  {
    std::lock_guard lk(m.returnMu);
    m.serving = true;
  }
  m.Loop();
  {
    std::lock_guard lk(m.returnMu);
    m.serving = false;
  }
  ::epoll_ctl(m.epollFd, EPOLL_CTL_DEL, m.listenFd, nullptr);
  ::close(m.listenFd);
  m.listenFd = -1;
  m.owned.clear();
  m.pool->shutdown();  // running requests finish; what they give back is closed
  std::lock_guard lk(m.returnMu);
  m.returned.clear();
  return true;
}

void ConnectionFront::Stop() {
  impl_->stopping = true;
  impl_->Wake();
}

void ConnectionFront::Return(std::unique_ptr<Connection> c, bool keep) {
  std::lock_guard lk(impl_->returnMu);
  if (!impl_->serving || impl_->stopping) return;  // closed here
  impl_->returned.emplace_back(std::move(c), keep);
  impl_->Wake();
}

std::size_t ConnectionFront::OpenConnections() const { return impl_->limiter->Total(); }

}  // namespace tb::web
