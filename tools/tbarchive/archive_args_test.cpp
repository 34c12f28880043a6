// The command line: what a run gets from it, and every way it is refused.
#include "tools/tbarchive/archive_args.h"

#include <gtest/gtest.h>

#include "client/core/test_files.h"

namespace tbarchive {
namespace {

using namespace std::chrono;
using tb::archive::Kind;

class ArchiveArgs : public ::testing::Test {
 protected:
  ArchiveArgs() {
    std::filesystem::create_directories(dir.path() / "share");
    std::filesystem::create_directories(dir.path() / "client");
    defaults.now = tb::LocalTime{local_days{year{2026} / 3 / 10}.time_since_epoch()};
    defaults.formLibrary = "/opt/lib/libfmdraw32.so";
    defaults.cacheDir = "/var/cache/tbarchive";
  }
  std::vector<std::string> Required() const {
    return {"--share-root", (dir.path() / "share").string(), "--client-dir", (dir.path() / "client").string(),
            "--archive", "arch"};
  }
  std::variant<tb::archive::RunOptions, HelpWanted, ArgError> Parse(std::vector<std::string> extra) const {
    auto args = Required();
    args.insert(args.end(), extra.begin(), extra.end());
    return ParseArchiveArgs(args, defaults);
  }
  std::string Refusal(std::vector<std::string> args) const {
    const auto r = ParseArchiveArgs(args, defaults);
    return std::holds_alternative<ArgError>(r) ? std::get<ArgError>(r).message : "accepted";
  }

  tb::testing::TempDir dir;
  ArgDefaults defaults;
};

TEST_F(ArchiveArgs, DefaultsAndEveryOption) {
  const auto plain = std::get<tb::archive::RunOptions>(Parse({}));
  EXPECT_EQ(plain.maxPeriods, 400);
  EXPECT_EQ(plain.plan.kinds, (std::vector<Kind>{Kind::kDaily, Kind::kMonthly, Kind::kYearly}));
  EXPECT_FALSE(plain.plan.from);
  EXPECT_EQ(plain.plan.now, defaults.now);
  EXPECT_EQ(plain.plan.grace[0], hours{1});
  EXPECT_EQ(plain.plan.grace[2], days{1});
  EXPECT_EQ(plain.env.formLibrary, defaults.formLibrary);
  EXPECT_EQ(plain.env.jetCacheDir, defaults.cacheDir);
  EXPECT_TRUE(plain.archiveRoot.is_absolute());

  const auto o = std::get<tb::archive::RunOptions>(
      Parse({"--kinds", "yearly,daily,yearly", "--from", "2024-02-29", "--max", "0", "--now", "2026-12-08 09:30",
             "--daily-grace", "90m", "--monthly-grace", "2d", "--yearly-grace", "0h", "--form-library", "/x.so"}));
  EXPECT_EQ(o.plan.kinds, (std::vector<Kind>{Kind::kYearly, Kind::kDaily}));
  EXPECT_EQ(*o.plan.from, year{2024} / 2 / 29);
  EXPECT_EQ(o.maxPeriods, 0);
  EXPECT_EQ(o.plan.now, tb::LocalTime{local_days{year{2026} / 12 / 8}.time_since_epoch()} + hours{9} + minutes{30});
  EXPECT_EQ(o.plan.grace[0], minutes{90});
  EXPECT_EQ(o.plan.grace[1], days{2});
  EXPECT_EQ(o.plan.grace[2], minutes{0});
  EXPECT_EQ(o.env.formLibrary, "/x.so");
  EXPECT_TRUE(std::holds_alternative<HelpWanted>(ParseArchiveArgs({"--help"}, defaults)));
}

TEST_F(ArchiveArgs, BadArgumentsAreRefusedWithTheReason) {
  EXPECT_EQ(Refusal({}), "--share-root is required");
  auto without = [&](const std::string& flag) {
    auto args = Required();
    const auto at = std::find(args.begin(), args.end(), flag);
    args.erase(at, at + 2);
    return Refusal(args);
  };
  EXPECT_EQ(without("--client-dir"), "--client-dir is required");
  EXPECT_EQ(without("--archive"), "--archive is required");
  auto with = [&](std::vector<std::string> extra) {
    auto args = Required();
    args.insert(args.end(), extra.begin(), extra.end());
    return Refusal(args);
  };
  EXPECT_EQ(with({"--kinds", "daily,weekly"}), "--kinds wants daily, monthly and yearly separated by commas, got daily,weekly");
  EXPECT_EQ(with({"--kinds", ""}), "--kinds needs a value");
  EXPECT_EQ(with({"--from", "2026-02-30"}), "--from wants a date YYYY-MM-DD, got 2026-02-30");
  EXPECT_EQ(with({"--from", "2026-2-3"}), "--from wants a date YYYY-MM-DD, got 2026-2-3");
  for (const char* date : {"2026-12-00", "2026-12-32", "2026-00-10", "2026-13-10", "0999-12-10", "2026-12/10",
                           "2026/12-10"})
    EXPECT_EQ(with({"--from", date}), std::string("--from wants a date YYYY-MM-DD, got ") + date);
  EXPECT_EQ(with({"--max", "-1"}), "--max wants a number of periods (0 to 1000000), got -1");
  EXPECT_EQ(with({"--max", "12x"}), "--max wants a number of periods (0 to 1000000), got 12x");
  EXPECT_EQ(with({"--now", "2026-12-08 24:00"}), "--now wants \"YYYY-MM-DD HH:MM\", got 2026-12-08 24:00");
  EXPECT_EQ(with({"--daily-grace", "1w"}), "--daily-grace wants a duration such as 90m, 1h or 2d, got 1w");
  EXPECT_EQ(with({"--max"}), "--max needs a value");
  EXPECT_EQ(with({"--frob", "1"}), "unknown option: --frob");
  EXPECT_EQ(with({"stray"}), "unexpected argument: stray");
  auto args = Required();
  args[1] = (dir.path() / "nowhere").string();
  EXPECT_EQ(Refusal(args), "share root does not exist: " + args[1]);
}

TEST_F(ArchiveArgs, TheConfigurationFileGivesTheSettingsAndTheCommandLineWins) {
  const auto conf = dir.path() / "tbclient.conf";
  tb::testing::WriteBytes(conf, "share-root = " + (dir.path() / "share").string() + "\nclient-dir = " +
                                    (dir.path() / "client").string() + "\ncache-dir = /var/cache/tb\n"
                                    "printer-dir = /var/lib/tb/printers\narchive = /var/lib/tb/archive\n"
                                    "[tbclient]\nlisten = 127.0.0.1:8080\n"
                                    "[tbarchive]\nmax = 50\nkinds = daily\ndaily-grace = 2h\n");
  const auto o = std::get<tb::archive::RunOptions>(ParseArchiveArgs({"--max", "7", "--config", conf.string()}, defaults));
  EXPECT_EQ(o.env.shareRoot, dir.path() / "share");
  EXPECT_EQ(o.env.jetCacheDir, "/var/cache/tb");
  EXPECT_EQ(o.archiveRoot, "/var/lib/tb/archive");
  EXPECT_EQ(o.plan.kinds, std::vector<Kind>{Kind::kDaily});
  EXPECT_EQ(o.plan.grace[0], hours{2});
  EXPECT_EQ(o.maxPeriods, 7);
  tb::testing::WriteBytes(conf, "archive = /a\n[tbarchive]\n\nmax = lots\n");
  EXPECT_EQ(Refusal({"--config", conf.string()}),
            conf.string() + ":4: --max wants a number of periods (0 to 1000000), got lots");
}

}  // namespace
}  // namespace tbarchive
