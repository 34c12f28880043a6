#include "client/web/event_streams.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tb::web {
namespace {

using Clock = std::chrono::steady_clock;

std::string Chunk(const std::string& payload) {
  char size[20];
  std::snprintf(size, sizeof size, "%zx\r\n", payload.size());
  return size + payload + "\r\n";
}

}  // namespace

struct EventStreams::Impl {
  struct Stream {
    std::unique_ptr<Connection> c;
    std::shared_ptr<Session> session;
    std::function<void()> onEnd;
    std::uint64_t seen = 0;
    std::string out;
    Clock::time_point lastWrite;
    bool ending = false;   // the session ended: the last chunk goes out, then give back
    bool watchOut = false;
    ~Stream() {
      if (onEnd) onEnd();
    }
  };
  struct Adopted {
    std::unique_ptr<Connection> c;
    std::shared_ptr<Session> session;
    std::function<void()> onEnd;
  };

  std::chrono::milliseconds keepAlive;
  GiveBack giveBack;
  std::size_t maxBacklog;
  int epollFd = -1, wakeFd = -1;
  std::thread writer;

  std::mutex mu;  // guards the three below
  std::vector<Adopted> adopted;
  std::unordered_set<Session*> dirty;
  bool stop = false;

  // Writer thread only.
  std::unordered_map<int, std::unique_ptr<Stream>> streams;
  std::unordered_map<Session*, std::vector<int>> bySession;

  void Wake() {
    const std::uint64_t one = 1;
    (void)!::write(wakeFd, &one, sizeof one);
  }
  void Run();
  bool TakeNews();  // false once stopped
  void Add(Adopted a);
  void Send(Stream& s);
  void Queue(Stream& s, const std::string& payload);
  void Flush(Stream& s);
  void Watch(Stream& s, bool out);
  void Read(Stream& s);
  std::unique_ptr<Stream> Remove(int fd);
  void KeepAlives(Clock::time_point now);
  int MsUntilKeepAlive(Clock::time_point now) const;
};

void EventStreams::Impl::Run() {
  std::vector<epoll_event> events(128);
  for (;;) {
    const int n = ::epoll_wait(epollFd, events.data(), static_cast<int>(events.size()),
                               MsUntilKeepAlive(Clock::now()));
    for (int i = 0; i < n; ++i) {
      const int fd = events[i].data.fd;
      if (fd == wakeFd) continue;  // handled below, once per round
      auto it = streams.find(fd);
      if (it == streams.end()) continue;
      if (events[i].events & EPOLLOUT) Flush(*it->second);
      it = streams.find(fd);
      if (it != streams.end() && (events[i].events & ~EPOLLOUT)) Read(*it->second);
    }
    if (!TakeNews()) break;
    KeepAlives(Clock::now());
  }
  while (!streams.empty()) Remove(streams.begin()->first);
  std::vector<Adopted> late;
  {
    std::lock_guard lk(mu);
    late.swap(adopted);
  }
  for (auto& a : late)
    if (a.onEnd) a.onEnd();
}

bool EventStreams::Impl::TakeNews() {
  std::uint64_t count = 0;
  (void)!::read(wakeFd, &count, sizeof count);
  std::vector<Adopted> news;
  std::unordered_set<Session*> changed;
  {
    std::lock_guard lk(mu);
    if (stop) return false;
    news.swap(adopted);
    changed.swap(dirty);
  }
  for (auto& a : news) Add(std::move(a));
  for (Session* s : changed) {
    auto it = bySession.find(s);
    if (it == bySession.end()) continue;
    const std::vector<int> fds = it->second;  // Send may end streams
    for (int fd : fds)
      if (auto st = streams.find(fd); st != streams.end()) Send(*st->second);
  }
  return true;
}

void EventStreams::Impl::Add(Adopted a) {
  auto s = std::make_unique<Stream>();
  s->c = std::move(a.c);
  s->session = std::move(a.session);
  s->onEnd = std::move(a.onEnd);
  const int fd = s->c->fd;
  epoll_event ev{};
  ev.events = EPOLLIN | EPOLLRDHUP;
  ev.data.fd = fd;
  ::epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &ev);
  bySession[s->session.get()].push_back(fd);
  Stream& placed = *streams.emplace(fd, std::move(s)).first->second;
  Send(placed);  // a new stream starts with the whole state
}

void EventStreams::Impl::Send(Stream& s) {
  if (s.ending) return;
  if (s.session->Stopped()) {
    s.ending = true;
    s.out += "0\r\n\r\n";  // the response ends; the browser's stream sees the end
    return Flush(s);
  }
  const StreamUpdate u = s.session->UpdateSince(s.seen);
  if (u.version == s.seen) return;
  std::string messages;
  if (!u.full.empty()) {
    messages = "id: " + std::to_string(u.version) + "\ndata: " + u.full + "\n\n";
  } else {
    auto version = s.seen;
    for (const auto& c : u.changes)
      messages += "id: " + std::to_string(++version) + "\nevent: changes\ndata: " + *c + "\n\n";
  }
  s.seen = u.version;
  s.session->Touch();  // an open page keeps its session alive
  Queue(s, messages);
}

void EventStreams::Impl::Queue(Stream& s, const std::string& payload) {
  s.out += Chunk(payload);
  s.lastWrite = Clock::now();
  if (s.out.size() > maxBacklog) {
    Remove(s.c->fd);  // a browser this far behind starts again with the whole state
    return;
  }
  Flush(s);
}

void EventStreams::Impl::Flush(Stream& s) {
  while (!s.out.empty()) {
    const ssize_t n = ::send(s.c->fd, s.out.data(), s.out.size(), MSG_NOSIGNAL);
    if (n > 0) {
      s.out.erase(0, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return Watch(s, true);
    Remove(s.c->fd);
    return;
  }
  if (s.watchOut) Watch(s, false);
  if (s.ending) {
    auto done = Remove(s.c->fd);
    giveBack(std::move(done->c));
  }
}

void EventStreams::Impl::Watch(Stream& s, bool out) {
  if (s.watchOut == out) return;
  s.watchOut = out;
  epoll_event ev{};
  ev.events = EPOLLIN | EPOLLRDHUP | (out ? EPOLLOUT : 0u);
  ev.data.fd = s.c->fd;
  ::epoll_ctl(epollFd, EPOLL_CTL_MOD, s.c->fd, &ev);
}

// A browser sends nothing on its stream; what it sends is dropped, and its close ends it.
void EventStreams::Impl::Read(Stream& s) {
  char buf[4096];
  for (;;) {
    const ssize_t n = ::recv(s.c->fd, buf, sizeof buf, 0);
    if (n > 0) continue;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    Remove(s.c->fd);
    return;
  }
}

std::unique_ptr<EventStreams::Impl::Stream> EventStreams::Impl::Remove(int fd) {
  auto node = streams.extract(fd);
  if (node.empty()) return nullptr;
  ::epoll_ctl(epollFd, EPOLL_CTL_DEL, fd, nullptr);
  auto& list = bySession[node.mapped()->session.get()];
  list.erase(std::remove(list.begin(), list.end(), fd), list.end());
  if (list.empty()) bySession.erase(node.mapped()->session.get());
  return std::move(node.mapped());
}

void EventStreams::Impl::KeepAlives(Clock::time_point now) {
  std::vector<int> due;
  for (auto& [fd, s] : streams)
    if (!s->ending && now - s->lastWrite >= keepAlive) due.push_back(fd);
  for (int fd : due) {
    auto it = streams.find(fd);
    if (it == streams.end()) continue;
    Stream& s = *it->second;
    if (s.session->Stopped()) {
      Send(s);
      continue;
    }
    s.session->Touch();
    Queue(s, ": keep-alive\n\n");
  }
}

int EventStreams::Impl::MsUntilKeepAlive(Clock::time_point now) const {
  auto next = now + std::chrono::seconds(1);
  for (const auto& [fd, s] : streams) next = std::min(next, s->lastWrite + keepAlive);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count();
  return static_cast<int>(std::max<long long>(0, ms));
}

EventStreams::EventStreams(std::chrono::milliseconds keepAlive, GiveBack giveBack,
                           std::size_t maxBacklog)
    : impl_(std::make_unique<Impl>()) {
  impl_->keepAlive = keepAlive;
  impl_->giveBack = std::move(giveBack);
  impl_->maxBacklog = maxBacklog;
  impl_->epollFd = ::epoll_create1(EPOLL_CLOEXEC);
  impl_->wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  epoll_event ev{};
  ev.events = EPOLLIN;
  ev.data.fd = impl_->wakeFd;
  ::epoll_ctl(impl_->epollFd, EPOLL_CTL_ADD, impl_->wakeFd, &ev);
  impl_->writer = std::thread([this] { impl_->Run(); });
}

EventStreams::~EventStreams() {
  Stop();
  ::close(impl_->epollFd);
  ::close(impl_->wakeFd);
}

void EventStreams::Adopt(std::unique_ptr<Connection> c, std::shared_ptr<Session> session,
                         std::function<void()> onEnd) {
  std::unique_lock lk(impl_->mu);
  if (impl_->stop) {
    lk.unlock();
    if (onEnd) onEnd();
    return;  // the connection closes here
  }
  impl_->adopted.push_back({std::move(c), std::move(session), std::move(onEnd)});
  impl_->Wake();
}

void EventStreams::Changed(Session& session) {
  std::lock_guard lk(impl_->mu);
  if (impl_->dirty.insert(&session).second) impl_->Wake();
}

void EventStreams::Stop() {
  {
    std::lock_guard lk(impl_->mu);
    if (impl_->stop) return;
    impl_->stop = true;
    impl_->Wake();
  }
  if (impl_->writer.joinable()) impl_->writer.join();
}

}  // namespace tb::web
