#include "client/web/event_streams.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <string>
#include <thread>

#include "client/web/test_pages.h"

namespace tb::web {
namespace {

using namespace std::chrono_literals;

// A page that never changes and whose state is far larger than a socket holds at once.
class BigPage : public Document {
 public:
  BigPage() {
    controls_.Add(testing::MakeControl("lblBig", ControlKind::kLabel, std::string(kSize, 'x'), 0, 0, 100, 100));
  }
  std::string_view Name() const override { return "docBig"; }
  int Width() const override { return 100; }
  int Height() const override { return 100; }
  bool Handle(const UiEvent&) override { return false; }
  static constexpr std::size_t kSize = 300000;
};

// A browser that reads its stream slowly still gets the whole state: the writer waits
// for the socket to drain and goes on by itself, not only when the page changes next.
TEST(EventStreamsTest, ASlowReaderGetsTheWholeStateWithoutFurtherChanges) {
  SessionConfig config;
  config.makePage = [](std::string_view, ClientState&, Host&) -> std::unique_ptr<Document> {
    return std::make_unique<BigPage>();
  };
  config.downloadDir = std::filesystem::temp_directory_path() / ("tb-web-streams-" + std::to_string(::getpid()));
  auto session = std::make_shared<Session>(std::move(config));
  session->LoadPage("docBig", "http://plant:8080/docBig.vbd");
  auto snap = session->Current();
  for (auto until = std::chrono::steady_clock::now() + 5s;
       snap.json.size() < BigPage::kSize && std::chrono::steady_clock::now() < until;)
    snap = session->WaitForChange(snap.version, 200ms);
  ASSERT_GE(snap.json.size(), BigPage::kSize);

  int ends[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
  ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK);
  const int small = 4096;
  ::setsockopt(ends[0], SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
  EventStreams streams(30s, [](std::unique_ptr<Connection>) {}, 4 << 20);
  streams.Adopt(std::make_unique<Connection>(ends[0], "local", 0, AddressLimiter::Slot{}), session, [] {});
  std::this_thread::sleep_for(200ms);  // the writer fills the socket and has to wait

  std::string received;
  char buffer[8192];
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (received.find("\n\n\r\n") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd p{ends[1], POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    const ssize_t n = ::read(ends[1], buffer, sizeof buffer);
    if (n <= 0) break;
    received.append(buffer, static_cast<std::size_t>(n));
  }
  EXPECT_NE(received.find(std::string(BigPage::kSize, 'x')), std::string::npos)
      << received.size() << " bytes arrived";
  streams.Stop();
  ::close(ends[1]);
}

// A browser that closes its stream ends it: the stream is let go at once, not kept until
// a write to it fails.
TEST(EventStreamsTest, AStreamTheBrowserClosesEnds) {
  SessionConfig config;
  config.makePage = testing::MakeTestPage;
  config.downloadDir = std::filesystem::temp_directory_path() / ("tb-web-closed-" + std::to_string(::getpid()));
  auto session = std::make_shared<Session>(std::move(config));
  session->LoadPage("docGrid", "http://plant:8080/docGrid.vbd");
  int ends[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
  ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK);
  EventStreams streams(30s, [](std::unique_ptr<Connection>) {});
  std::promise<void> ended;
  auto done = ended.get_future();
  streams.Adopt(std::make_unique<Connection>(ends[0], "local", 0, AddressLimiter::Slot{}), session,
                [&ended] { ended.set_value(); });
  char buffer[4096];
  pollfd p{ends[1], POLLIN, 0};
  ASSERT_GT(::poll(&p, 1, 5000), 0) << "the state arrives first";
  EXPECT_GT(::read(ends[1], buffer, sizeof buffer), 0);
  ASSERT_EQ(::write(ends[1], "x", 1), 1);  // what a browser sends on its stream is dropped
  std::this_thread::sleep_for(100ms);
  ::close(ends[1]);
  EXPECT_EQ(done.wait_for(5s), std::future_status::ready);
  streams.Stop();
}

}  // namespace
}  // namespace tb::web
