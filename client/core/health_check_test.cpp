#include "client/core/health_check.h"

#include <gtest/gtest.h>

#include "client/core/test_files.h"
#include "platform/codepage.h"

namespace tb {
namespace {

using testing::MakeSqlite;
using testing::TempDir;
using testing::WriteBytes;

// A share and client folder the pages could serve from.
class HealthCheck : public ::testing::Test {
 public:
  void SetUp() override {
    std::filesystem::remove_all(dir_.path());
    env_.shareRoot = dir_.path() / "share";
    env_.clientDir = dir_.path() / "client";
    env_.jetCacheDir = dir_.path() / "cache";
    WriteBytes(env_.clientDir / "TBWeb.ini", "[DB]\r\nFLG=0\r\n[KIND]\r\nFLG=1\r\n");
    WriteBytes(env_.shareRoot / "Vurodor.ini",
               platform::Utf8ToCp932(
                   "[Title]\r\nName=浄水場\r\n[Print]\r\nSize=A3\r\n[Nippou]\r\nHour=8\r\n"
                   "[Geppou]\r\nDay=1\r\n[Nenpou]\r\nMonth=4\r\n[Inkan]\r\nKosuu=0\r\nFlg=0\r\n"
                   "[Mode]\r\nYear=1\r\n[Tenki]\r\nFlg=0\r\n[Keta]\r\nFlg=0\r\n"));
    std::filesystem::create_directories(Db(""));
    MakeSqlite(Db("Vurodor.mdb"), "CREATE TABLE 日報情報 (TAG_ID INTEGER, ページNO INTEGER, 項目NO INTEGER);"
                                  "INSERT INTO 日報情報 VALUES (1, 3, 1)");
    MakeSqlite(Db("RIVove.mdb"), "CREATE TABLE D_DDAT (DATE TEXT, TAG_ID INTEGER)");
  }
  std::filesystem::path Db(const char* name) const { return env_.shareRoot / "TB_DataBase" / name; }

  TempDir dir_;
  ClientEnvironment env_;
};

TEST_F(HealthCheck, AServableInstallationIsHealthy) {
  const auto r = CheckInstallation(env_);
  EXPECT_TRUE(r.ok) << r.reason << ": " << r.detail;
  EXPECT_EQ(r.reason, "");
}

TEST_F(HealthCheck, EachMissingPieceHasItsReason) {
  struct {
    const char* reason;
    std::function<void(HealthCheck&)> breakIt;
  } cases[] = {
      {"share not readable", [](HealthCheck& t) { std::filesystem::remove_all(t.env_.shareRoot); }},
      {"client folder not readable", [](HealthCheck& t) { t.env_.clientDir /= "missing"; }},
      {"settings not readable", [](HealthCheck& t) { std::filesystem::remove(t.env_.shareRoot / "Vurodor.ini"); }},
      {"layout database not reachable",
       [](HealthCheck& t) { WriteBytes(t.Db("Vurodor.mdb"), std::string(4096, 'x')); }},
      {"data database not reachable", [](HealthCheck& t) { std::filesystem::remove(t.Db("RIVove.mdb")); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    const auto saved = env_;
    c.breakIt(*this);
    const auto r = CheckInstallation(env_);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.reason, c.reason);
    EXPECT_FALSE(r.detail.empty());
    env_ = saved;
    SetUp();  // whole again for the next case
  }
}

}  // namespace
}  // namespace tb
