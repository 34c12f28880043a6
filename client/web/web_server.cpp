#include "client/web/web_server.h"

#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "client/web/archive_page.h"
#include "client/web/assets.h"
#include "client/web/event_check.h"
#include "client/web/session_id.h"
#include "client/web/session_registry.h"
#include "client/web/trend_route.h"

namespace tb::web {
namespace {

constexpr char kJson[] = "application/json";
constexpr char kText[] = "text/plain; charset=utf-8";
constexpr std::uintmax_t kMaxDownload = 16 * 1024 * 1024;

void Fail(httplib::Response& res, int status, std::string_view why) {
  res.status = status;
  res.set_content(std::string(why) + "\n", kText);
}

std::string PercentEncode(std::string_view s) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' ||
        c == '-' || c == '_') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string AsciiFallbackName(std::string_view s) {
  std::string out;
  for (unsigned char c : s) out += (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') ? char(c) : '_';
  return out;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::optional<int> ParsePageNumber(const std::string& text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

// The HTTP library listens with a backlog of 5 fixed when it was compiled; when more
// browsers connect at once the kernel drops their connection requests and they retry a
// second later. The listening socket (found by its port) gets a full backlog instead.
void WidenListenBacklog(int port) {
  for (int fd = 0; fd < 1024; ++fd) {
    int listening = 0;
    socklen_t len = sizeof listening;
    if (getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &len) != 0 || !listening) continue;
    sockaddr_storage addr{};
    socklen_t alen = sizeof addr;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &alen) != 0) continue;
    int p = -1;
    if (addr.ss_family == AF_INET) p = ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
    if (addr.ss_family == AF_INET6) p = ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port);
    if (p == port) ::listen(fd, SOMAXCONN);
  }
}

}  // namespace

bool IsValidHostHeader(std::string_view host) {
  if (host.empty() || host.size() > 255) return false;
  std::string_view name = host;
  if (host.front() == '[') {  // [v6]:port
    auto close = host.find(']');
    if (close == std::string_view::npos) return false;
    for (char c : host.substr(1, close - 1))
      if (!(std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.')) return false;
    name = {};
    host = host.substr(close + 1);
  } else {
    auto colon = host.find(':');
    name = host.substr(0, colon);
    host = colon == std::string_view::npos ? std::string_view{} : host.substr(colon);
    if (name.empty()) return false;
  }
  for (char c : name)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_')) return false;
  if (host.empty()) return true;
  if (host.front() != ':' || host.size() < 2 || host.size() > 6) return false;
  for (char c : host.substr(1))
    if (c < '0' || c > '9') return false;
  return true;
}

struct WebServer::Impl {
  explicit Impl(ServerOptions o)
      : options(std::move(o)),
        registry(options.maxSessions, options.idleLimit, [this](const std::string& id) {
          SessionConfig c;
          c.env = options.env;
          c.makePage = options.makePage;
          c.hasPrinter = options.hasPrinter;
          c.downloadDir = options.tempRoot / ("session-" + id.substr(0, 16));
          return c;
        }) {}

  ServerOptions options;
  SessionRegistry registry;
  std::atomic<int> openStreams{0}, waitingEvents{0};
  httplib::Server http;
  std::atomic<bool> stopping{false};
  std::atomic<bool> draining{false};
  std::mutex sweepMu;
  std::condition_variable sweepCv;
  std::thread sweeper;

  void Routes();
  void ServePage(const httplib::Request& req, httplib::Response& res, const std::string& page);
  void ServeEvents(const httplib::Request& req, httplib::Response& res);
  void ReceiveEvent(const httplib::Request& req, httplib::Response& res);
  void ReceiveAnswer(const httplib::Request& req, httplib::Response& res);
  void ServeDownload(const httplib::Request& req, httplib::Response& res);
  void ServeHealth(httplib::Response& res);
  std::shared_ptr<Session> SessionOf(const httplib::Request& req);
  void Sweep();
};

std::shared_ptr<Session> WebServer::Impl::SessionOf(const httplib::Request& req) {
  return registry.Find(CookieValue(req.get_header_value("Cookie"), kSessionCookie));
}

void WebServer::Impl::Routes() {
  http.Get("/", [](const httplib::Request&, httplib::Response& res) {
    res.set_redirect("/docMain.vbd");
  });
  http.Get("/docMain.vbd", [this](const httplib::Request& q, httplib::Response& r) {
    ServePage(q, r, "docMain");
  });
  http.Get(R"(/docGrid\.(vbd|bin))", [this](const httplib::Request& q, httplib::Response& r) {
    ServePage(q, r, "docGrid");
  });
  http.Get(R"(/assets/([A-Za-z0-9_.-]{1,64}))", [](const httplib::Request& q, httplib::Response& r) {
    const auto* f = FindAsset(q.matches[1].str());
    if (f == nullptr || f->name == "page.html") return Fail(r, 404, "not found");
    r.set_header("Cache-Control", "no-cache");
    r.set_header("X-Content-Type-Options", "nosniff");
    r.set_content(f->data.data(), f->data.size(), std::string(ContentTypeOf(f->name)));
  });
  http.Get("/favicon.ico", [](const httplib::Request&, httplib::Response& r) { r.status = 204; });
  http.Get("/events", [this](const httplib::Request& q, httplib::Response& r) { ServeEvents(q, r); });
  http.Post("/event", [this](const httplib::Request& q, httplib::Response& r) { ReceiveEvent(q, r); });
  http.Post("/answer", [this](const httplib::Request& q, httplib::Response& r) { ReceiveAnswer(q, r); });
  http.Get(R"(/download/(\d{1,9}))", [this](const httplib::Request& q, httplib::Response& r) {
    ServeDownload(q, r);
  });
  http.Get("/healthz", [this](const httplib::Request&, httplib::Response& r) { ServeHealth(r); });
  AddArchiveRoutes(http, options.archiveRoot);
  AddTrendRoutes(http, [this](const httplib::Request& q) { return SessionOf(q); });
  http.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (res.body.empty()) res.set_content(std::to_string(res.status) + "\n", kText);
  });
  http.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
    Fail(res, 500, "internal error");
  });
}

void WebServer::Impl::ServePage(const httplib::Request& req, httplib::Response& res,
                                const std::string& page) {
  const auto host = req.get_header_value("Host");
  if (!IsValidHostHeader(host)) return Fail(res, 400, "bad Host header");
  auto session = SessionOf(req);
  if (!session) {
    if (draining) return Fail(res, 503, "server is stopping");
    auto created = registry.Create();
    if (!created) return Fail(res, 503, "too many sessions");
    res.set_header("Set-Cookie", SessionCookieHeader(created->first));
    session = created->second;
  }
  // The address the page model sees is the one the browser used.
  const int number = session->LoadPage(page, "http://" + host + req.path);
  const auto* shell = FindAsset("page.html");
  std::string html = shell ? std::string(shell->data) : std::string();
  html = ReplaceAll(std::move(html), "{{PAGE}}", std::to_string(number));
  html = ReplaceAll(std::move(html), "{{NAME}}", page);
  res.set_header("Cache-Control", "no-store");
  // The page runs only its own script and may not be framed by another site.
  res.set_header("Content-Security-Policy",
                 "default-src 'self'; img-src 'self' data:; frame-ancestors 'none'; base-uri 'none'");
  res.set_header("X-Frame-Options", "DENY");
  res.set_header("X-Content-Type-Options", "nosniff");
  res.set_content(html, "text/html; charset=utf-8");
}

void WebServer::Impl::ServeEvents(const httplib::Request& req, httplib::Response& res) {
  auto session = SessionOf(req);
  if (!session) return Fail(res, 403, "no session");
  const int mine = session->AcquireStream(options.maxStreamsPerSession);
  if (mine == 0) return Fail(res, 429, "too many streams");
  // Past the server-wide limit a session still gets its first stream (at most one per
  // session more), so streams opened in bulk by a few sessions shut out no other page.
  const int limit = options.maxStreams + (mine == 1 ? static_cast<int>(options.maxSessions) : 0);
  if (openStreams.fetch_add(1) >= limit) {
    --openStreams;
    session->ReleaseStream();
    return Fail(res, 429, "too many streams");
  }
  res.set_header("Cache-Control", "no-store");
  auto seen = std::make_shared<std::uint64_t>(0);
  const auto keepAlive = options.keepAlive;
  res.set_chunked_content_provider(
      "text/event-stream",
      [this, session, seen, keepAlive](std::size_t, httplib::DataSink& sink) {
        auto snap = session->WaitForChange(*seen, keepAlive);
        if (stopping || session->Stopped()) {
          sink.done();
          return true;
        }
        session->Touch();  // an open page keeps its session alive
        std::string chunk;
        if (snap.version != *seen) {
          *seen = snap.version;
          chunk = "id: " + std::to_string(snap.version) + "\ndata: " + snap.json + "\n\n";
        } else {
          chunk = ": keep-alive\n\n";
        }
        return sink.write(chunk.data(), chunk.size());
      },
      [this, session](bool) {
        session->ReleaseStream();
        --openStreams;
      });
}

void WebServer::Impl::ReceiveEvent(const httplib::Request& req, httplib::Response& res) {
  auto session = SessionOf(req);
  if (!session) return Fail(res, 403, "no session");
  if (req.get_header_value("Content-Type").rfind(kJson, 0) != 0) return Fail(res, 415, "JSON only");
  std::string why;
  auto e = ParseBrowserEvent(req.body, &why);
  if (!e) return Fail(res, 400, why);
  if (waitingEvents.fetch_add(1) >= options.maxWaitingEvents) {
    --waitingEvents;
    return Fail(res, 429, "too many events waiting");
  }
  const auto outcome = session->PostEvent(e->page, std::move(e->doc), std::move(e->event));
  --waitingEvents;
  switch (outcome) {
    case EventOutcome::kDone: return res.set_content("{\"ok\":true}", kJson);
    case EventOutcome::kRefused: return Fail(res, 400, "event refused");
    case EventOutcome::kStale: return Fail(res, 409, "page no longer shown");
    case EventOutcome::kTimedOut:
      res.status = 202;
      return res.set_content("{\"ok\":true,\"running\":true}", kJson);
    case EventOutcome::kStopped: return Fail(res, 410, "session ended");
    case EventOutcome::kBusy: return Fail(res, 429, "too many events waiting");
  }
}

void WebServer::Impl::ReceiveAnswer(const httplib::Request& req, httplib::Response& res) {
  auto session = SessionOf(req);
  if (!session) return Fail(res, 403, "no session");
  if (req.get_header_value("Content-Type").rfind(kJson, 0) != 0) return Fail(res, 415, "JSON only");
  const auto answer = ParseBrowserAnswer(req.body);
  if (!answer) return Fail(res, 400, "bad answer");
  const bool ok = answer->kind == BrowserAnswer::Kind::kMsgBox
                      ? session->AnswerMsgBox(answer->id, answer->button)
                      : session->AnswerSave(answer->id, answer->name, answer->choice);
  if (!ok) return Fail(res, 400, "answer refused");
  res.set_content("{\"ok\":true}", kJson);
}

void WebServer::Impl::ServeDownload(const httplib::Request& req, httplib::Response& res) {
  auto session = SessionOf(req);
  if (!session) return Fail(res, 403, "no session");
  auto number = ParsePageNumber(req.matches[1].str());
  std::string name;
  auto path = number ? session->Download(*number, &name) : std::nullopt;
  if (!path) return Fail(res, 404, "not found");
  std::error_code ec;
  auto size = std::filesystem::file_size(*path, ec);
  if (ec || size > kMaxDownload) return Fail(res, 404, "not found");
  std::ifstream in(*path, std::ios::binary);
  std::ostringstream body;
  body << in.rdbuf();
  res.set_header("Content-Disposition", "attachment; filename=\"" + AsciiFallbackName(name) +
                                            "\"; filename*=UTF-8''" + PercentEncode(name));
  res.set_header("Cache-Control", "no-store");
  // Printed documents are PDF, workbooks the workbook export's; everything else offered
  // is a CSV export.
  const auto ext = path->extension();
  res.set_content(body.str(),
                  ext == ".pdf"    ? "application/pdf"
                  : ext == ".xlsx" ? "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"
                                   : "text/csv");
}

// Monitors and proxies ask this often: the check behind it is cached (HealthCache).
void WebServer::Impl::ServeHealth(httplib::Response& res) {
  res.set_header("Cache-Control", "no-store");
  if (draining) return Fail(res, 503, "stopping");
  if (options.health) {
    const auto h = options.health();
    if (!h.ok) return Fail(res, 503, h.reason);
  }
  res.set_content("ok\n", kText);
}

void WebServer::Impl::Sweep() {
  std::unique_lock lk(sweepMu);
  while (!stopping) {
    sweepCv.wait_for(lk, std::chrono::seconds(10));
    if (stopping) break;
    lk.unlock();
    registry.EndIdle(std::chrono::steady_clock::now());
    lk.lock();
  }
}

WebServer::WebServer(ServerOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {
  auto& http = impl_->http;
  auto& o = impl_->options;
  if (o.maxStreams <= 0) o.maxStreams = static_cast<int>(o.maxSessions) * 2;
  // Every open event stream and every waiting event request holds one pool thread; the
  // pool has room for all of them plus the short requests, so that a browser (or a
  // script) opening streams up to the limits cannot leave the server unable to answer.
  const std::size_t threads =
      static_cast<std::size_t>(o.maxStreams + o.maxWaitingEvents) + o.maxSessions + 16;
  http.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  http.set_payload_max_length(impl_->options.maxBody);
  // Replies and state updates are small writes that must leave at once; with Nagle's
  // algorithm they wait for the browser's delayed acknowledgement (tens of ms).
  http.set_tcp_nodelay(true);
  http.set_read_timeout(10, 0);
  http.set_write_timeout(10, 0);
  http.set_keep_alive_timeout(5);
  impl_->Routes();
}

WebServer::~WebServer() { Stop(); }

int WebServer::Bind() {
  int port = -1;
  if (impl_->options.port == 0) {
    port = impl_->http.bind_to_any_port(impl_->options.host);
  } else if (impl_->http.bind_to_port(impl_->options.host, impl_->options.port)) {
    port = impl_->options.port;
  }
  if (port > 0) WidenListenBacklog(port);
  return port;
}

bool WebServer::Serve() {
  impl_->sweeper = std::thread([this] { impl_->Sweep(); });
  return impl_->http.listen_after_bind();
}

void WebServer::Stop() {
  if (impl_->stopping.exchange(true)) return;
  {
    std::lock_guard lk(impl_->sweepMu);
    impl_->sweepCv.notify_all();
  }
  impl_->registry.EndAll();  // wakes every event stream
  impl_->http.stop();
  if (impl_->sweeper.joinable()) impl_->sweeper.join();
}

void WebServer::StopTakingSessions() { impl_->draining = true; }

std::size_t WebServer::SessionCount() const { return impl_->registry.Count(); }

}  // namespace tb::web
