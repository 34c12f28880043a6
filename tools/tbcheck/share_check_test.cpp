#include "tools/tbcheck/share_check.h"

#include <gtest/gtest.h>

#include <sstream>

#include "client/core/messages.h"
#include "client/core/test_files.h"
#include "tools/tbseed/seed_share.h"

namespace tbcheck {
namespace {

using tb::testing::TempDir;

TEST(ShareCheckTest, PrintsSettingsPageCountsAndFirstPagesOfASeededShare) {
  TempDir dir;
  tbseed::SeedOptions o;
  o.shareRoot = dir.path() / "share";
  o.clientDir = dir.path() / "client";
  o.tags = 20;
  o.years = 1;
  o.endDate = std::chrono::year{2026} / 3 / 7;
  auto summary = tbseed::SeedShare(o);
  tb::ClientEnvironment env;
  env.shareRoot = o.shareRoot;
  env.clientDir = o.clientDir;
  std::ostringstream out;
  EXPECT_EQ(CheckShare(env, out), 0) << out.str();
  const std::string text = out.str();
  EXPECT_NE(text.find("gTitle          中央浄水場 運転管理帳票"), std::string::npos) << text;
  EXPECT_NE(text.find("日報 (D_DDAT): " + std::to_string(summary.plant.layouts[0].maxPage) + " pages"),
            std::string::npos);
  EXPECT_NE(text.find("年報 (D_YDAT): " + std::to_string(summary.plant.layouts[2].maxPage) + " pages"),
            std::string::npos);
  EXPECT_NE(text.find(" 1  TAG 100  取水 / 取水量 / 1号  [m3/h]  有効桁 0.0  P種別 1"), std::string::npos);
}

TEST(ShareCheckTest, AnEmptyShareShowsTheClientsMessages) {
  TempDir dir;
  tb::ClientEnvironment env;
  env.shareRoot = dir.path() / "share";
  env.clientDir = dir.path() / "client";
  std::ostringstream out;
  EXPECT_GT(CheckShare(env, out), 0);
  EXPECT_NE(out.str().find("[確認] " + std::string(tb::msg::kServerUnknown)), std::string::npos);
  EXPECT_NE(out.str().find("[確認] " + std::string(tb::msg::kDatabaseUnreachable)), std::string::npos);
  EXPECT_NE(out.str().find("日報 (D_DDAT): unreadable"), std::string::npos);
}

}  // namespace
}  // namespace tbcheck
