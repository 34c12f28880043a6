#include "client/core/odbc_connection.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <thread>

namespace tb::db {
namespace {

TEST(OdbcPlanTest, ValuesReachTheDriverBracedWhateverTheyHold) {
  unsetenv("TB_TDS_VERSION");
  ConnectionContext c;
  c.sqlSource = "srv\\INST,1433";
  c.sqlDatabase = "日報DB";
  c.sqlUid = "sa";
  c.sqlPwd = "p;w}d=x{";
  c.loginTimeoutSeconds = 7;
  OdbcConnectPlan plan = SqlServerPlan(c, "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so");
  EXPECT_EQ(plan.connectionString,
            "DRIVER={/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so};SERVER={srv\\INST,1433};"
            "DATABASE={日報DB};UID={sa};PWD={p;w}d=x{};TDS_Version={7.4};ClientCharset={UTF-8};");
  EXPECT_EQ(plan.loginTimeoutSeconds, 7);
  EXPECT_EQ(plan.connectionTimeoutSeconds, 7);
  EXPECT_EQ(plan.queryTimeoutSeconds, kQueryTimeoutSeconds);
}

// The driver ends a braced value at the first "}" before ";": such a value is refused
// rather than cut.
TEST(OdbcPlanTest, AValueTheDriverWouldCutIsRefused) {
  ConnectionContext c;
  c.sqlPwd = "a};b";
  EXPECT_THROW((void)SqlServerPlan(c, "/d.so"), DbError);
  c.sqlPwd = "a}";  // a "}" at the end is no cut
  EXPECT_NE(SqlServerPlan(c, "/d.so").connectionString.find("PWD={a}};"), std::string::npos);
}

TEST(OdbcPlanTest, TimeoutsAreAlwaysSet) {
  ConnectionContext c;
  c.loginTimeoutSeconds = 0;  // "no timeout" is never passed on
  OdbcConnectPlan plan = SqlServerPlan(c, "/d.so");
  EXPECT_GT(plan.loginTimeoutSeconds, 0);
  EXPECT_GT(plan.connectionTimeoutSeconds, 0);
  EXPECT_GT(plan.queryTimeoutSeconds, 0);
  EXPECT_EQ(plan.connectionString, "DRIVER={/d.so};SERVER={};DATABASE={};UID={};PWD={};TDS_Version={7.4};"
            "ClientCharset={UTF-8};");
}

// A loopback server that accepts connections and never answers.
class SilentServer {
 public:
  SilentServer() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(fd_, 8);
    socklen_t len = sizeof a;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] {
      while (!stop_) {
        int c = accept(fd_, nullptr, nullptr);
        if (c < 0) break;
        ++accepted_;
        held_.push_back(c);
      }
    });
  }
  ~SilentServer() {
    stop_ = true;
    shutdown(fd_, SHUT_RDWR);
    close(fd_);
    thread_.join();
    for (int c : held_) close(c);
  }
  int port() const { return port_; }
  int accepted() const { return accepted_; }

 private:
  int fd_ = -1, port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> accepted_{0};
  std::vector<int> held_;
  std::thread thread_;
};

TEST(OdbcConnectionTest, ServerThatNeverAnswersFailsWithinTheLoginTimeout) {
  auto driver = FindFreeTdsDriver();
  if (!driver) GTEST_SKIP() << "FreeTDS ODBC driver not installed";
  SilentServer server;
  ConnectionContext c;
  c.sqlSource = "127.0.0.1," + std::to_string(server.port());
  c.sqlDatabase = "db";
  c.sqlUid = "u";
  c.sqlPwd = "p";
  c.loginTimeoutSeconds = 2;
  auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(OdbcConnection(SqlServerPlan(c, *driver)), DbError);
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(server.accepted(), 1) << "the driver never reached the server";
  EXPECT_LT(seconds, 20.0);
}

TEST(OdbcConnectionTest, MissingDriverIsADbError) {
  OdbcConnectPlan plan;
  plan.connectionString = "DRIVER={/nonexistent/libnothing.so};SERVER={x};";
  EXPECT_THROW(OdbcConnection{plan}, DbError);
}

}  // namespace
}  // namespace tb::db
