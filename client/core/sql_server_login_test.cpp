// The SQL Server path from TBWeb.ini to the wire: the real driver (FreeTDS ODBC) logs in
// to a stand-in server on the loopback that answers the pre-login handshake without
// encryption and keeps the login record it receives. The server, user, password and
// database of the settings must arrive as read, also when they hold the connection
// string's own separators (";" and "="), which a connection string read back as text
// would cut ("Password=a;b=c;" gives "a").
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "client/core/client_state.h"
#include "client/core/odbc_connection.h"
#include "client/core/scripted_host.h"
#include "client/core/test_files.h"
#include "client/core/utf16.h"
#include "platform/profile.h"

namespace tb {
namespace {

// What a login record (TDS LOGIN7) names, decoded.
struct Login {
  std::string user, password, server, database;
};

// Accepts one connection, answers its pre-login message, reads the login record and
// hangs up (the driver then reports a failed connect).
class LoginCapture {
 public:
  LoginCapture() {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(fd_, 1);
    socklen_t len = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoginCapture() { Stop(); }
  [[nodiscard]] int Port() const { return port_; }
  // The login record, once the driver's connect has returned (ends the server).
  [[nodiscard]] const std::optional<Login>& Received() {
    Stop();
    return login_;
  }

 private:
  // One message: packets up to the one marked as the last (status bit 0x01).
  static std::optional<std::vector<std::uint8_t>> ReadMessage(int c, std::uint8_t& type) {
    std::vector<std::uint8_t> payload;
    for (;;) {
      std::uint8_t h[8];
      if (!ReadAll(c, h, 8)) return std::nullopt;
      type = h[0];
      const std::size_t length = (static_cast<std::size_t>(h[2]) << 8) | h[3];
      if (length < 8) return std::nullopt;
      const std::size_t at = payload.size();
      payload.resize(at + length - 8);
      if (!ReadAll(c, payload.data() + at, length - 8)) return std::nullopt;
      if (h[1] & 0x01) return payload;
    }
  }
  static bool ReadAll(int c, std::uint8_t* p, std::size_t n) {
    while (n > 0) {
      const ssize_t got = ::recv(c, p, n, 0);
      if (got <= 0) return false;
      p += got;
      n -= static_cast<std::size_t>(got);
    }
    return true;
  }
  // A pre-login answer: a server version and "encryption not supported".
  static void AnswerPrelogin(int c) {
    const std::uint8_t answer[] = {0x04, 0x01, 0x00, 26, 0x00, 0x00, 0x01, 0x00,
                                   0x00, 0x00, 11, 0x00, 6,   // VERSION at 11, 6 bytes
                                   0x01, 0x00, 17, 0x00, 1,   // ENCRYPTION at 17, 1 byte
                                   0xFF,
                                   0x10, 0x00, 0x07, 0xD0, 0x00, 0x00,
                                   0x02};
    (void)::send(c, answer, sizeof answer, MSG_NOSIGNAL);
  }
  // A UCS-2 text of the login record at the offset/length pair found at `slot`; the
  // password's bytes are stored with their nibbles swapped and then xor 0xA5.
  static std::string Text(const std::vector<std::uint8_t>& m, std::size_t slot, bool password) {
    if (slot + 4 > m.size()) return {};
    const std::size_t off = m[slot] | (m[slot + 1] << 8), chars = m[slot + 2] | (m[slot + 3] << 8);
    if (off + 2 * chars > m.size()) return {};
    std::u16string units;
    for (std::size_t i = 0; i < chars; ++i) {
      std::uint8_t lo = m[off + 2 * i], hi = m[off + 2 * i + 1];
      if (password) {
        lo ^= 0xA5, hi ^= 0xA5;
        lo = static_cast<std::uint8_t>((lo >> 4) | (lo << 4));
        hi = static_cast<std::uint8_t>((hi >> 4) | (hi << 4));
      }
      units.push_back(static_cast<char16_t>(lo | (hi << 8)));
    }
    return Utf16ToUtf8(units);
  }
  void Serve() {
    const int c = ::accept(fd_, nullptr, nullptr);
    if (c < 0) return;
    std::uint8_t type = 0;
    auto m = ReadMessage(c, type);
    if (m && type == 0x12) {
      AnswerPrelogin(c);
      m = ReadMessage(c, type);
    }
    if (m && type == 0x10)
      login_ = Login{Text(*m, 40, false), Text(*m, 44, true), Text(*m, 52, false), Text(*m, 68, false)};
    ::close(c);
  }

  void Stop() {
    if (!thread_.joinable()) return;
    ::shutdown(fd_, SHUT_RDWR);
    thread_.join();
    ::close(fd_);
  }

  int fd_ = -1, port_ = 0;
  std::optional<Login> login_;
  std::thread thread_;
};

TEST(SqlServerPath, SettingsValuesReachTheDriverWhole) {
  if (!db::FindFreeTdsDriver()) GTEST_SKIP() << "FreeTDS ODBC driver not installed";
  LoginCapture server;
  testing::TempDir dir;
  ClientState s;
  s.env.clientDir = dir.path();
  const auto ini = dir.path() / "TBWeb.ini";
  const std::string source = "127.0.0.1," + std::to_string(server.Port());
  for (auto [key, value] : {std::pair<const char*, std::string>{"SOURCE", source},
                            {"DATABASE", "日報;DB"}, {"UID", "op=1"}, {"PWD", "a;b=c}d"}})
    ASSERT_TRUE(platform::WriteProfileStringUtf8(ini, "SQL", key, value));
  ASSERT_TRUE(platform::WriteProfileStringUtf8(ini, "DB", "FLG", "1"));
  ScriptedHost host;
  ReadSettings(s, host);  // no share: the report settings fail after the connection is built
  ASSERT_EQ(s.gConnectString, "Provider=SQLOLEDB;Data Source=" + source +
                                  ";Initial Catalog=日報;DB;User ID=op=1;Password=a;b=c}d;");
  EXPECT_THROW(OpenDataConnection(s), db::DbError);  // the stand-in hangs up after the login
  const auto& login = server.Received();
  ASSERT_TRUE(login.has_value()) << "no login record reached the server";
  EXPECT_EQ(login->user, "op=1");
  EXPECT_EQ(login->password, "a;b=c}d");
  EXPECT_EQ(login->database, "日報;DB");
}

}  // namespace
}  // namespace tb
