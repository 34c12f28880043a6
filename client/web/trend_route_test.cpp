// The chart requests over HTTP: a real server whose grid page loads a share built in the
// test, asked as a browser asks, and refused for what is not the asking page's.
#include "client/web/trend_route.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <nlohmann/json.hpp>
#include <thread>

#include "client/grid/doc_grid.h"
#include "client/grid/grid_test_share.h"
#include "client/web/web_server.h"
#include "platform/codepage.h"

namespace tb::web {
namespace {

using namespace std::chrono;
using testing_share::Share;
using testing_share::Values;

class TrendRouteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    share_.AddTag({21, "浄水", "流量", "", "m3/h", "0.0", 0});
    share_.AddTag({22, "配水", "圧力", "", "MPa", "0.00", 0});
    share_.Place(1, 1, 1, 21);
    share_.Place(1, 2, 1, 22);
    std::vector<testing_share::Cell> data = {"1.5", "*", std::nullopt, "2.5"};
    share_.Put(1, "2026/3/7", 21, Values{data, "4", "2", "2.5", "1.5"});
    ServerOptions o;
    o.port = 0;
    o.tempRoot = share_.Root() / "web";
    // The grid page of one day; the selection page is left out (no document).
    o.makePage = [this](std::string_view name, ClientState& s, Host& host) -> std::unique_ptr<Document> {
      if (name != "docGrid") return nullptr;
      share_.ReadInto(s, host);
      testing_share::SetReport(s, 1, 2026y / 3 / 7, 2);
      return std::make_unique<DocGrid>(s, host);
    };
    server_ = std::make_unique<WebServer>(o);
    const int port = server_->Bind();
    ASSERT_GT(port, 0);
    thread_ = std::thread([this] { server_->Serve(); });
    client_ = std::make_unique<httplib::Client>("127.0.0.1", port);
    client_->set_read_timeout(10, 0);
  }
  void TearDown() override {
    server_->Stop();
    thread_.join();
  }

  // Loads a page in a new session; its cookie and page number.
  std::pair<std::string, int> Open(const std::string& path = "/docGrid.vbd") {
    auto r = client_->Get(path);
    EXPECT_TRUE(r && r->status == 200);
    if (!r) return {};
    auto cookie = r->get_header_value("Set-Cookie");
    const auto at = r->body.find("data-page=\"");
    return {cookie.substr(0, cookie.find(';')), std::stoi(r->body.substr(at + 11))};
  }
  httplib::Result Get(const std::string& cookie, const std::string& path) {
    return client_->Get(path, httplib::Headers{{"Cookie", cookie}});
  }
  // Asks until the page's load has run (it runs 100 ms after the page was made).
  httplib::Result GetLoaded(const std::string& cookie, const std::string& path) {
    auto r = Get(cookie, path);
    for (int i = 0; i < 100 && r && r->status == 409; ++i) {
      std::this_thread::sleep_for(20ms);
      r = Get(cookie, path);
    }
    return r;
  }

  Share share_;
  std::unique_ptr<WebServer> server_;
  std::unique_ptr<httplib::Client> client_;
  std::thread thread_;
};

TEST_F(TrendRouteTest, AnswersThePagesTagsTheirValuesAndTheirCsv) {
  const auto [cookie, page] = Open();
  const auto base = "/trend?page=" + std::to_string(page);
  auto r = GetLoaded(cookie, base);
  ASSERT_TRUE(r);
  ASSERT_EQ(r->status, 200) << r->body;
  EXPECT_EQ(r->get_header_value("Cache-Control"), "no-store");
  auto tags = nlohmann::json::parse(r->body)["tags"];
  ASSERT_EQ(tags.size(), 1u);
  EXPECT_EQ(tags[0]["tag"], 21);
  EXPECT_EQ(tags[0]["names"][0], "浄水");

  r = Get(cookie, base + "&tag=21");
  ASSERT_TRUE(r);
  ASSERT_EQ(r->status, 200);
  const auto j = nlohmann::json::parse(r->body);
  EXPECT_EQ(j["values"][0], 1.5);
  EXPECT_TRUE(j["values"][1].is_null());  // "*"
  EXPECT_TRUE(j["values"][2].is_null());  // Null
  EXPECT_EQ(j["texts"][1], "*");
  EXPECT_EQ(j["max"], nlohmann::json::array({3}));
  EXPECT_EQ(j["min"], nlohmann::json::array({0}));
  EXPECT_EQ(j["previous"]["key"], "2026/3/6");
  EXPECT_TRUE(j["previous"]["values"][0].is_null());
  EXPECT_EQ(j["file"], "20260307_21");

  r = Get(cookie, "/trend.csv?page=" + std::to_string(page) + "&tag=21");
  ASSERT_TRUE(r);
  ASSERT_EQ(r->status, 200);
  EXPECT_EQ(r->get_header_value("Content-Disposition"), "attachment; filename=\"20260307_21.csv\"");
  const auto csv = platform::Cp932ToUtf8(r->body);
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")), "\"2026年 3月 7日 土曜日\",");
  EXPECT_NE(csv.find("\"01:00\",\"1.5\",\"\",\r\n\"02:00\",\"*\",\"\",\r\n"), std::string::npos) << csv;
}

TEST_F(TrendRouteTest, RefusesWhatIsNotTheAskingPagesOwn) {
  const auto [cookie, page] = Open();
  const auto base = "/trend?page=" + std::to_string(page);
  ASSERT_EQ(GetLoaded(cookie, base)->status, 200);
  const auto status = [&](const std::string& c, const std::string& path) {
    auto r = Get(c, path);
    return r ? r->status : -1;
  };
  EXPECT_EQ(status(cookie, base + "&tag=22"), 404);  // on page 2 only
  EXPECT_EQ(status(cookie, base + "&tag=99"), 404);
  EXPECT_EQ(status(cookie, "/trend?page=" + std::to_string(page + 1)), 409);
  EXPECT_EQ(status("", base + "&tag=21"), 403);
  EXPECT_EQ(status("tbsession=" + std::string(32, 'a'), base + "&tag=21"), 403);
  for (const char* bad : {"&tag=x", "&tag=", "&tag=1e3", "&tag=21&tag=22", "&tag=+21",
                          "&tag=99999999999999999999"})
    EXPECT_EQ(status(cookie, base + bad), 400) << bad;
  EXPECT_EQ(status(cookie, "/trend?page=-1"), 400);
  EXPECT_EQ(status(cookie, "/trend?tag=21"), 400);
  EXPECT_EQ(status(cookie, "/trend.csv?page=" + std::to_string(page)), 400);
  std::string six;
  for (int i = 0; i < 6; ++i) six += "&tag=" + std::to_string(21 + i);
  EXPECT_EQ(status(cookie, "/trend.csv?page=" + std::to_string(page) + six), 400);

  // Another browser, whose own page has the same number, is answered from its own page
  // (here not a grid page) and never from this session's.
  const auto [other, otherPage] = Open("/docMain.vbd");
  ASSERT_NE(other, cookie);
  ASSERT_EQ(otherPage, page);
  EXPECT_EQ(status(other, base + "&tag=21"), 409);
  EXPECT_EQ(status(other, "/trend.csv?page=" + std::to_string(page) + "&tag=21"), 409);
}

}  // namespace
}  // namespace tb::web
