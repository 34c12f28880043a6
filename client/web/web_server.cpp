#include "client/web/web_server.h"

#include <httplib.h>

#include <atomic>
#include <cstdio>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "client/web/archive_page.h"
#include "client/web/assets.h"
#include "client/web/connection_front.h"
#include "client/web/connection_stream.h"
#include "client/web/download_header.h"
#include "client/web/event_check.h"
#include "client/web/event_streams.h"
#include "client/web/http_processor.h"
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

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// Where an event's answer spent its time on the server: waiting for a worker once the
// request had arrived, then on the session (its UI thread taking the event, the handler,
// publishing the new state). Browsers' tools and the load benchmark read it.
std::string ServerTiming(std::chrono::steady_clock::time_point arrived,
                         std::chrono::steady_clock::time_point taken) {
  using Ms = std::chrono::duration<double, std::milli>;
  char text[96];
  std::snprintf(text, sizeof text, "queue;dur=%.2f, session;dur=%.2f", Ms(taken - arrived).count(),
                Ms(std::chrono::steady_clock::now() - taken).count());
  return text;
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

FrontLimits LimitsOf(const ServerOptions& o) {
  FrontLimits l;
  l.maxConnections = o.maxConnections;
  l.maxPerAddress = o.maxConnectionsPerAddress;
  l.idleTimeout = o.connectionIdle;
  l.requestTimeout = o.requestTimeout;
  l.maxBody = o.maxBody;
  // Event requests waiting for their handler hold a worker each; the rest answer pages,
  // assets, answers and downloads, which never wait for a client.
  l.workers = static_cast<std::size_t>(o.maxWaitingEvents) + 16;
  return l;
}

struct WebServer::Impl {
  explicit Impl(ServerOptions o)
      : options(std::move(o)),
        streams(options.keepAlive,
                [this](std::unique_ptr<Connection> c) { front.Return(std::move(c), true); }),
        registry(options.maxSessions, options.idleLimit,
                 [this](const std::string& id) {
                   SessionConfig c;
                   c.env = options.env;
                   c.makePage = options.makePage;
                   c.hasPrinter = options.hasPrinter;
                   c.downloadDir = options.tempRoot / ("session-" + id.substr(0, 16));
                   c.onPublish = [this](Session& s) { streams.Changed(s); };
                   return c;
                 }),
        front(LimitsOf(options), [this](std::unique_ptr<Connection> c) { Answer(std::move(c)); }) {}

  ServerOptions options;
  EventStreams streams;  // before the sessions, which tell it about their changes
  SessionRegistry registry;
  std::atomic<int> openStreams{0}, waitingEvents{0};
  HttpProcessor http;
  ConnectionFront front;
  std::atomic<bool> stopping{false};
  std::atomic<bool> draining{false};
  std::mutex sweepMu;
  std::condition_variable sweepCv;
  std::thread sweeper;

  void Routes();
  void Answer(std::unique_ptr<Connection> c);
  void ServePage(const httplib::Request& req, httplib::Response& res, const std::string& page);
  void ServeEvents(const httplib::Request& req, httplib::Response& res);
  void ReceiveEvent(const httplib::Request& req, httplib::Response& res);
  void ReceiveAnswer(const httplib::Request& req, httplib::Response& res);
  void ServeDownload(const httplib::Request& req, httplib::Response& res);
  void ServeHealth(httplib::Response& res);
  std::shared_ptr<Session> SessionOf(const httplib::Request& req);
  void Sweep();
};

// Answers the request the front has received whole; the connection then waits in the
// front for its next request, or carries an event stream from here on.
void WebServer::Impl::Answer(std::unique_ptr<Connection> c) {
  bool closed = false, ok = false, failed = false;
  ConnectionStream::Taker taker;
  {
    ConnectionStream stream(*c, options.writeTimeout);
    ok = http.Process(stream, stopping, closed);
    taker = stream.TakeHandOver();
    failed = stream.Failed();
  }
  c->ConsumeRequest();
  if (taker) return taker(std::move(c));
  front.Return(std::move(c), ok && !closed && !failed && !stopping);
}

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
  auto release = [this, session] {
    session->ReleaseStream();
    --openStreams;
  };
  auto handedOver = std::make_shared<bool>(false);
  // Once the response head is out, the connection goes to the event streams, which write
  // the state from then on without holding this thread; the library writes nothing more.
  res.set_chunked_content_provider(
      "text/event-stream",
      [this, session, release, handedOver](std::size_t, httplib::DataSink&) {
        auto* stream = ConnectionStream::Current();
        if (stream == nullptr) return false;
        *handedOver = true;
        stream->HandOver([this, session, release](std::unique_ptr<Connection> c) {
          streams.Adopt(std::move(c), session, release);
        });
        return false;
      },
      [release, handedOver](bool) {
        if (!*handedOver) release();
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
  const auto taken = std::chrono::steady_clock::now();
  const auto outcome = session->PostEvent(e->page, std::move(e->doc), std::move(e->event));
  --waitingEvents;
  if (const auto* stream = ConnectionStream::Current())
    res.set_header("Server-Timing", ServerTiming(stream->Of().complete, taken));
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
  // The route admits one to nine digits, which always fit an int.
  const int number = std::stoi(req.matches[1].str());
  std::string name;
  auto path = session->Download(number, &name);
  if (!path) return Fail(res, 404, "not found");
  std::error_code ec;
  auto size = std::filesystem::file_size(*path, ec);
  if (ec || size > kMaxDownload) return Fail(res, 404, "not found");
  std::ifstream in(*path, std::ios::binary);
  std::ostringstream body;
  body << in.rdbuf();
  for (const auto& [header, value] : DownloadHeaders(name)) res.set_header(header, value);
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
  http.set_payload_max_length(o.maxBody);
  // What the Keep-Alive header tells the browser; the front closes idle connections.
  http.set_keep_alive_timeout(std::chrono::duration_cast<std::chrono::seconds>(o.connectionIdle).count());
  http.set_keep_alive_max_count(1000);
  impl_->Routes();
}

WebServer::~WebServer() { Stop(); }

int WebServer::Bind() {
  const int port = impl_->front.Bind(impl_->options.host, impl_->options.port);
  return port > 0 ? port : -1;
}

bool WebServer::Serve() {
  impl_->sweeper = std::thread([this] { impl_->Sweep(); });
  impl_->http.Open(impl_->front.ListeningSocket());
  return impl_->front.Serve();
}

void WebServer::Stop() {
  if (impl_->stopping.exchange(true)) return;
  {
    std::lock_guard lk(impl_->sweepMu);
    impl_->sweepCv.notify_all();
  }
  impl_->registry.EndAll();  // waiting event requests return, streams end
  impl_->http.Close();
  impl_->front.Stop();
  if (impl_->sweeper.joinable()) impl_->sweeper.join();
}

void WebServer::StopTakingSessions() { impl_->draining = true; }

std::size_t WebServer::SessionCount() const { return impl_->registry.Count(); }

}  // namespace tb::web
