// The web host's connections as raw sockets see them: clients that connect and send
// nothing, or send their request slowly, hold no worker and are bounded per address,
// in time and in size; requests that cannot be framed get their answer from the front;
// requests that arrive together are answered in order.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "client/web/test_pages.h"
#include "client/web/web_server.h"

namespace tb::web {
namespace {

using namespace std::chrono_literals;

// A connected socket from `from` (a loopback address), closed on destruction.
class RawClient {
 public:
  RawClient(int port, const char* from = "127.0.0.1") : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, from, &local.sin_addr);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
  }
  ~RawClient() { ::close(fd_); }
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;

  [[nodiscard]] bool Connected() const { return connected_; }
  void Send(std::string_view bytes) { (void)!::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
  // What the server sent until it closed, `want` bytes were seen, or `wait` passed.
  std::string Receive(std::chrono::milliseconds wait = 5s, std::string_view want = {}) {
    const auto end = std::chrono::steady_clock::now() + wait;
    while (want.empty() || received_.find(want) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      pollfd p{fd_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
      char buf[4096];
      const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
      if (n <= 0) {
        closed_ = true;
        break;
      }
      received_.append(buf, static_cast<std::size_t>(n));
    }
    return received_;
  }
  [[nodiscard]] bool ClosedByServer() const { return closed_; }

 private:
  int fd_;
  bool connected_ = false;
  bool closed_ = false;
  std::string received_;
};

std::string StatusLine(const std::string& response) { return response.substr(0, response.find("\r\n")); }

class FrontTest : public ::testing::Test {
 protected:
  void Start(ServerOptions o) {
    o.port = 0;
    o.makePage = testing::MakeTestPage;
    o.tempRoot = std::filesystem::temp_directory_path() / ("tb-front-" + std::to_string(::getpid()));
    server_ = std::make_unique<WebServer>(o);
    port_ = server_->Bind();
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { server_->Serve(); });
  }
  void TearDown() override {
    if (!server_) return;
    server_->Stop();
    thread_.join();
  }
  int Get(const char* path) {
    httplib::Client c("127.0.0.1", port_);
    c.set_read_timeout(5, 0);
    auto r = c.Get(path);
    return r ? r->status : -1;
  }

  std::unique_ptr<WebServer> server_;
  std::thread thread_;
  int port_ = 0;
};

// Far more silent and slow clients than there are workers (16 and a few): a thread per
// waiting connection would leave the normal request unanswered.
TEST_F(FrontTest, SilentAndSlowClientsHoldNoWorker) {
  ServerOptions o;
  o.maxWaitingEvents = 1;
  o.maxConnectionsPerAddress = 200;
  Start(o);
  std::vector<std::unique_ptr<RawClient>> flood;
  for (int i = 0; i < 120; ++i) {
    flood.push_back(std::make_unique<RawClient>(port_, "127.0.0.2"));
    ASSERT_TRUE(flood.back()->Connected());
    if (i % 2 == 1) flood.back()->Send("GET /docMain.vbd HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ");
  }
  EXPECT_EQ(Get("/assets/client.css"), 200);
  EXPECT_EQ(Get("/healthz"), 200);
}

TEST_F(FrontTest, ConnectionsPastAnAddressLimitAreRefusedOthersServed) {
  ServerOptions o;
  o.maxConnectionsPerAddress = 4;
  Start(o);
  std::vector<std::unique_ptr<RawClient>> held;
  for (int i = 0; i < 4; ++i) held.push_back(std::make_unique<RawClient>(port_, "127.0.0.3"));
  RawClient over(port_, "127.0.0.3");
  EXPECT_EQ(StatusLine(over.Receive()), "HTTP/1.1 503 Service Unavailable");
  EXPECT_TRUE(over.ClosedByServer());
  EXPECT_EQ(Get("/assets/client.css"), 200) << "another address";

  held.pop_back();  // a slot comes back with its connection
  for (int attempt = 0; attempt < 50; ++attempt) {
    RawClient again(port_, "127.0.0.3");
    again.Send("GET /favicon.ico HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    const auto answer = StatusLine(again.Receive(5s, "\r\n"));
    if (answer == "HTTP/1.1 204 No Content") return;
    std::this_thread::sleep_for(20ms);  // the close is seen by the server's loop first
  }
  ADD_FAILURE() << "the address never got its slot back";
}

TEST_F(FrontTest, SilentClientsAreClosedAndSlowRequestsTimeOut) {
  ServerOptions o;
  o.connectionIdle = 300ms;
  o.requestTimeout = 300ms;
  Start(o);
  RawClient silent(port_);
  RawClient slow(port_);
  slow.Send("GET /docMain.vbd HTTP/1.1\r\nHost: 127.0.0.1\r\n");
  EXPECT_EQ(StatusLine(slow.Receive()), "HTTP/1.1 408 Request Timeout");
  EXPECT_EQ(silent.Receive(), "");
  EXPECT_TRUE(silent.ClosedByServer());

  // Kept alive after an answer, a connection is idle again and closed the same way.
  RawClient kept(port_);
  kept.Send("GET /favicon.ico HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  EXPECT_EQ(StatusLine(kept.Receive()), "HTTP/1.1 204 No Content");
  EXPECT_TRUE(kept.ClosedByServer());
}

// When the server stops, the connections kept alive and idle are closed with it: their
// browsers reconnect at once instead of waiting on a server that has gone.
TEST_F(FrontTest, StoppingClosesTheConnectionsKeptAlive) {
  Start({});
  RawClient kept(port_);
  kept.Send("GET /favicon.ico HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  EXPECT_EQ(StatusLine(kept.Receive(5s, "\r\n\r\n")), "HTTP/1.1 204 No Content");
  EXPECT_FALSE(kept.ClosedByServer());
  std::this_thread::sleep_for(300ms);  // back with the front, idle
  server_->Stop();
  thread_.join();
  kept.Receive(2s);
  EXPECT_TRUE(kept.ClosedByServer());
  server_.reset();
}

TEST_F(FrontTest, RequestsThatCannotBeFramedGetTheirAnswer) {
  ServerOptions o;
  o.maxBody = 1024;
  Start(o);
  const std::string head = "POST /event HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n";
  const struct {
    const char* what;
    std::string request;
    const char* status;
  } cases[] = {
      {"head over its limit", "GET / HTTP/1.1\r\nX-Big: " + std::string(40 * 1024, 'x'),
       "HTTP/1.1 431 Request Header Fields Too Large"},
      {"body over its limit", head + "Content-Length: 5000\r\n\r\n", "HTTP/1.1 413 Payload Too Large"},
      {"length not a number", head + "Content-Length: 1e3\r\n\r\n", "HTTP/1.1 400 Bad Request"},
      {"two lengths", head + "Content-Length: 2\r\nContent-Length: 3\r\n\r\n{}", "HTTP/1.1 400 Bad Request"},
      {"chunked body", head + "Transfer-Encoding: chunked\r\n\r\n2\r\n{}\r\n0\r\n\r\n",
       "HTTP/1.1 501 Not Implemented"},
  };
  for (const auto& c : cases) {
    RawClient client(port_);
    client.Send(c.request);
    EXPECT_EQ(StatusLine(client.Receive()), c.status) << c.what;
    EXPECT_TRUE(client.ClosedByServer()) << c.what;
  }
  EXPECT_EQ(Get("/assets/client.css"), 200);
}

TEST_F(FrontTest, RequestsSentTogetherAreAnsweredInOrder) {
  Start({});
  RawClient client(port_);
  // Two requests in one write, then one whose body waits for "100 Continue".
  client.Send(
      "GET /favicon.ico HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"
      "GET /healthz HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  auto got = client.Receive(5s, "ok\n");
  const auto first = got.find("HTTP/1.1 204");
  const auto second = got.find("HTTP/1.1 200");
  ASSERT_NE(first, std::string::npos) << got;
  ASSERT_NE(second, std::string::npos) << got;
  EXPECT_LT(first, second);

  client.Send("POST /answer HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
              "Content-Length: 2\r\nExpect: 100-continue\r\n\r\n");
  got = client.Receive(5s, "100 Continue\r\n\r\n");
  ASSERT_NE(got.find("HTTP/1.1 100 Continue"), std::string::npos) << got;
  client.Send("{}");
  got = client.Receive(5s, "no session");
  EXPECT_NE(got.find("HTTP/1.1 403"), std::string::npos) << got;
  EXPECT_FALSE(client.ClosedByServer());
}

}  // namespace
}  // namespace tb::web
