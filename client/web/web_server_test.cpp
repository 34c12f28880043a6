#include "client/web/web_server.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "client/web/session_id.h"
#include "client/web/test_pages.h"

namespace tb::web {
namespace {

using namespace std::chrono_literals;

// A server with the test pages on a free loopback port, and a client with one session.
class WebServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ServerOptions o;
    o.port = 0;
    o.makePage = testing::MakeTestPage;
    o.tempRoot = std::filesystem::temp_directory_path() / ("tb-web-server-" + std::to_string(::getpid()));
    o.maxSessions = 3;
    o.maxStreams = 2;
    o.keepAlive = 200ms;
    o.health = [this] {
      if (healthy_) return HealthResult{true, "", ""};
      return HealthResult{false, "data database not reachable", "/srv/secret/RIVove.mdb: gone"};
    };
    server_ = std::make_unique<WebServer>(o);
    port_ = server_->Bind();
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { server_->Serve(); });
    client_ = std::make_unique<httplib::Client>("127.0.0.1", port_);
    client_->set_read_timeout(5, 0);
  }
  void TearDown() override {
    server_->Stop();
    thread_.join();
  }

  // Opens the selection page; returns the session cookie ("tbsession=...").
  std::string OpenPage() {
    auto r = client_->Get("/docMain.vbd");
    EXPECT_TRUE(r);
    if (!r) return {};
    auto cookie = r->get_header_value("Set-Cookie");
    return cookie.substr(0, cookie.find(';'));
  }
  int PostEvent(const std::string& cookie, const std::string& body,
                const std::string& type = "application/json") {
    httplib::Headers h{{"Cookie", cookie}};
    auto r = client_->Post("/event", h, body, type.c_str());
    return r ? r->status : -1;
  }

  std::unique_ptr<WebServer> server_;
  std::unique_ptr<httplib::Client> client_;
  std::thread thread_;
  int port_ = 0;
  std::atomic<bool> healthy_{true};
};

TEST_F(WebServerTest, HealthAnswerAndStoppingTakesNoNewSession) {
  auto r = client_->Get("/healthz");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(r->body, "ok\n");
  EXPECT_EQ(r->get_header_value("Cache-Control"), "no-store");
  {
    // A browser keeping its connection is told it may send many requests on it.
    httplib::Client kept("127.0.0.1", port_);
    kept.set_keep_alive(true);
    auto k = kept.Get("/healthz");
    ASSERT_TRUE(k);
    EXPECT_NE(k->get_header_value("Keep-Alive").find("max=1000"), std::string::npos)
        << k->get_header_value("Keep-Alive");
  }
  healthy_ = false;
  r = client_->Get("/healthz");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 503);
  EXPECT_EQ(r->body, "data database not reachable\n");  // the reason only, never the detail

  const auto cookie = OpenPage();
  server_->StopTakingSessions();
  healthy_ = true;
  r = client_->Get("/healthz");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 503);
  EXPECT_EQ(r->body, "stopping\n");
  r = client_->Get("/docMain.vbd");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 503);
  EXPECT_TRUE(r->get_header_value("Set-Cookie").empty());
  // The sessions there go on.
  r = client_->Get("/docMain.vbd", {{"Cookie", cookie}});
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(server_->SessionCount(), 1u);
}

TEST_F(WebServerTest, PagesRedirectAndSessionCookie) {
  auto r = client_->Get("/");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 302);
  EXPECT_EQ(r->get_header_value("Location"), "/docMain.vbd");

  r = client_->Get("/docMain.vbd");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  const auto cookie = r->get_header_value("Set-Cookie");
  EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
  EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos);
  EXPECT_TRUE(IsWellFormedSessionId(CookieValue(cookie.substr(0, cookie.find(';')), kSessionCookie)));
  EXPECT_NE(r->body.find("data-page=\"1\""), std::string::npos);
  EXPECT_EQ(r->get_header_value("Cache-Control"), "no-store");

  for (const char* path : {"/docGrid.vbd", "/docGrid.bin"}) {
    r = client_->Get(path);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 200) << path;
  }
}

TEST_F(WebServerTest, MalformedRequestsGet4xxAndTheServerKeepsServing) {
  const auto cookie = OpenPage();
  struct {
    const char* what;
    std::string cookie, body, type;
    int status;
  } cases[] = {
      {"not JSON", cookie, "{nope", "application/json", 400},
      {"not an object", cookie, "[1,2]", "application/json", 400},
      {"unknown kind", cookie, R"({"page":1,"doc":"docMain","kind":"timer","control":"Timer1"})", "application/json", 400},
      {"page as text", cookie, R"({"page":"1","doc":"docMain","kind":"click","control":"cmdHello"})", "application/json", 400},
      {"unknown control", cookie, R"({"page":1,"doc":"docMain","kind":"click","control":"cmdX"})", "application/json", 400},
      {"disabled control", cookie, R"({"page":1,"doc":"docMain","kind":"click","control":"cmdOff"})", "application/json", 400},
      {"dialog not open", cookie, R"({"page":1,"doc":"frmTest","kind":"click","control":"cmdOK"})", "application/json", 400},
      {"old page", cookie, R"({"page":7,"doc":"docMain","kind":"click","control":"cmdGo"})", "application/json", 409},
      {"huge body", cookie, std::string(100 * 1024, ' '), "application/json", 413},
      {"form post", cookie, "page=1", "application/x-www-form-urlencoded", 415},
      {"no session", "tbsession=" + std::string(32, 'a'), R"({"page":1,"doc":"docMain","kind":"click","control":"cmdGo"})", "application/json", 403},
      {"garbage cookie", "tbsession=../../x", "{}", "application/json", 403},
  };
  for (const auto& c : cases) EXPECT_EQ(PostEvent(c.cookie, c.body, c.type), c.status) << c.what;

  httplib::Headers h{{"Cookie", cookie}};
  for (const char* path : {"/assets/../../etc/passwd", "/assets/%2e%2e%2fetc%2fpasswd", "/assets/page.html",
                           "/assets/nothing.js", "/etc/passwd", "/download/1", "/download/../x",
                           "/download/4294967297", "/download/-1"}) {
    auto r = client_->Get(path, h);
    ASSERT_TRUE(r) << path;
    EXPECT_EQ(r->status, 404) << path;
  }
  auto r = client_->Post("/answer", h, R"({"kind":"msgbox","id":1,"button":"ok"})", "application/json");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 400) << "no message box open";

  httplib::Headers badHost{{"Host", "evil host/..\\"}};
  r = client_->Get("/docMain.vbd", badHost);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 400);

  r = client_->Get("/assets/client.js");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(r->get_header_value("X-Content-Type-Options"), "nosniff") << "scripts are run as what they are named";
  EXPECT_EQ(PostEvent(cookie, R"({"page":1,"doc":"docMain","kind":"click","control":"cmdBusy"})"), 200);
}

TEST_F(WebServerTest, SessionLimitAnswers503) {
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(OpenPage().empty());
  auto r = client_->Get("/docMain.vbd");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 503);
  EXPECT_EQ(server_->SessionCount(), 3u);
}

// An idle stream gets a comment line now and then, so that proxies and the browser keep it.
TEST_F(WebServerTest, AnIdleEventStreamIsKeptAlive) {
  const auto cookie = OpenPage();
  std::string received;
  const auto deadline = std::chrono::steady_clock::now() + 5s;  // the clock's ticks keep it busy
  client_->Get("/events?page=1", httplib::Headers{{"Cookie", cookie}}, [&](const char* data, size_t n) {
    received.append(data, n);
    return received.find(": keep-alive") == std::string::npos && std::chrono::steady_clock::now() < deadline;
  });
  EXPECT_NE(received.find(": keep-alive\n\n"), std::string::npos);
}

TEST_F(WebServerTest, EventStreamCarriesTheState) {
  const auto cookie = OpenPage();
  httplib::Headers h{{"Cookie", cookie}};
  std::string received;
  auto r = client_->Get("/events?page=1", h, [&](const char* data, size_t n) {
    received.append(data, n);
    return received.find("開始 http://127.0.0.1:") == std::string::npos;  // stop once started
  });
  EXPECT_NE(received.find("data: {"), std::string::npos);
  EXPECT_NE(received.find("\"lblTitle\""), std::string::npos);
}

// Event streams hold a server thread each. Past the server-wide limit (2 here) further
// streams are refused at once, except a session's first, so that streams opened in bulk
// shut out no other page; short requests are still answered.
TEST_F(WebServerTest, StreamsPastTheLimitAreRefusedButEachSessionGetsOne) {
  std::vector<std::thread> readers;
  // Opens an event stream read on its own thread until the server ends; its status.
  auto open = [&](const std::string& cookie) {
    auto status = std::make_shared<std::promise<int>>();
    auto answered = status->get_future();
    readers.emplace_back([this, cookie, status] {
      httplib::Client c("127.0.0.1", port_);
      c.set_read_timeout(20, 0);
      bool told = false;
      c.Get("/events?page=1", httplib::Headers{{"Cookie", cookie}},
            [&](const httplib::Response& r) {
              status->set_value(r.status);
              told = true;
              return true;
            },
            [](const char*, size_t) { return true; });
      if (!told) status->set_value(-1);
    });
    return answered.wait_for(5s) == std::future_status::ready ? answered.get() : -2;
  };
  const auto bulk = OpenPage();
  const auto other = OpenPage();
  EXPECT_EQ(open(bulk), 200);
  EXPECT_EQ(open(bulk), 200);
  EXPECT_EQ(open(bulk), 429) << "past the server-wide limit";
  EXPECT_EQ(open(other), 200) << "a session's first stream";
  EXPECT_EQ(open(other), 429);
  auto r = client_->Get("/assets/client.css");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);

  server_->Stop();  // ends the open streams
  for (auto& t : readers) t.join();
}

TEST(HostHeaderTest, AcceptsNamesAndAddressesOnly) {
  for (const char* ok : {"plant", "plant:8080", "plant:8", "127.0.0.1:80", "[::1]:8080", "a-b.example"})
    EXPECT_TRUE(IsValidHostHeader(ok)) << ok;
  for (const char* bad : {"", "a b", "a/b", "a\\b", "x:", ":80", "[::1", "h:99999x", "a\"b"})
    EXPECT_FALSE(IsValidHostHeader(bad)) << bad;
}

}  // namespace
}  // namespace tb::web
