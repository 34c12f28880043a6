// The HTTP side of the web host: serves the two documents (a page shell plus a fresh page
// model per load), the built-in assets, each session's state as a server-sent event
// stream, events and dialog answers as small JSON posts, and saved files as downloads.
//
//   GET  /                      302 to /docMain.vbd
//   GET  /docMain.vbd           selection page (new model, session cookie set if needed)
//   GET  /docGrid.vbd, .bin     grid page
//   GET  /assets/NAME           built-in file
//   GET  /events?page=N         text/event-stream of the session's state (JSON)
//   POST /event                 {"page","doc","kind","control",...}   200/400/409
//   POST /answer                {"kind":"msgbox","id","button"} | {"kind":"save","id","name"}
//   GET  /download/N            a file written through the save dialog
//   GET  /healthz               200 "ok", or 503 with a short reason (never report data)
//   GET  /archive/...           the read-only archive page (archive_page.h)
//   GET  /trend, /trend.csv     the grid page's chart data (trend_route.h)
//
// Thread-safety: Start/Stop from one thread; requests run on the server's pool.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "client/core/client_state.h"
#include "client/core/health_check.h"
#include "client/web/session.h"

namespace tb::web {

struct ServerOptions {
  std::string host = "127.0.0.1";
  int port = 8080;  // 0 = any free port
  ClientEnvironment env;
  PageFactory makePage;
  std::function<bool()> hasPrinter;
  // The installation check behind /healthz; without one the answer is "ok".
  std::function<HealthResult()> health;
  // Per-session download folders are made below this folder.
  std::filesystem::path tempRoot;
  // The report archive's folder shown under /archive/; empty when there is none.
  std::filesystem::path archiveRoot;
  std::size_t maxSessions = 64;
  std::chrono::steady_clock::duration idleLimit = std::chrono::minutes(30);
  std::size_t maxBody = 64 * 1024;
  int maxStreamsPerSession = 4;
  // Requests that hold a server thread for long, counted over all sessions: open event
  // streams (0 = two per session; a session's first stream is let in above this, up to
  // one more per session) and event requests waiting for their handler. The thread pool
  // is sized above their sum, so that pages, assets, answers and downloads are still
  // served when these limits are reached.
  int maxStreams = 0;
  int maxWaitingEvents = 32;
  std::chrono::milliseconds keepAlive{15000};  // comment line on an idle event stream
};

class WebServer {
 public:
  explicit WebServer(ServerOptions options);
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Binds the listening socket; returns the port, or -1 when it cannot be bound.
  int Bind();
  // Serves until Stop(); returns false when serving failed.
  bool Serve();
  void Stop();
  // The first step of stopping: no new session is made (a page load without one gets
  // 503) and /healthz answers 503 "stopping"; the sessions there go on.
  void StopTakingSessions();
  [[nodiscard]] std::size_t SessionCount() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// True for a Host header a browser can send for this server: a host name, IPv4 or
// bracketed IPv6 address, optionally with ":port".
bool IsValidHostHeader(std::string_view host);

}  // namespace tb::web
