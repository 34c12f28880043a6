// The program as the timer starts it, on a seeded share: killed at random moments and run
// again, two runs at once, a full disk, a file size limit and a read-only archive folder.
// After each, the archive holds exactly what its manifests list, and a later run finishes
// the rest.
#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "client/archive/archive_test_share.h"

namespace tbarchive {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tb::archive::testing::ArchivedFiles;
using tb::archive::testing::ArchiveProblems;
using tb::archive::testing::Joined;
using ::testing::AnyOf;
using ::testing::HasSubstr;

fs::path Program() {
  const char* dir = std::getenv("TB_BINARY_DIR");
  return fs::path(dir ? dir : "build") / "bin" / "tbarchive";
}

struct Finished {
  int status = -1;  // exit status, or -signal
  std::string out, err;
};

// A started run of the program; its output goes to files beside the archive.
class Child {
 public:
  Child(const std::vector<std::string>& args, const fs::path& logs, rlim_t fileSizeLimit = RLIM_INFINITY)
      : out_(logs / ("out-" + std::to_string(++count_))), err_(logs / ("err-" + std::to_string(count_))) {
    pid_ = fork();
    if (pid_ == 0) {
      const int o = ::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int e = ::open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(o, 1);
      dup2(e, 2);
      if (fileSizeLimit != RLIM_INFINITY) {
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
      }
      std::vector<std::string> all{Program().string()};
      all.insert(all.end(), args.begin(), args.end());
      std::vector<char*> argv;
      for (auto& a : all) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
  }
  void Kill() const { ::kill(pid_, SIGKILL); }
  [[nodiscard]] std::string Out() const { return tb::testing::ReadBytes(out_); }
  Finished Wait() const {
    int status = 0;
    waitpid(pid_, &status, 0);
    Finished f;
    f.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    f.out = tb::testing::ReadBytes(out_);
    f.err = tb::testing::ReadBytes(err_);
    return f;
  }

 private:
  static inline int count_ = 0;
  fs::path out_, err_;
  pid_t pid_ = -1;
};

// A small tmpfs mounted on a folder, when this machine lets the test mount one.
class Tmpfs {
 public:
  Tmpfs(const fs::path& at, const std::string& size) : at_(at) {
    fs::create_directories(at);
    mounted_ = ::mount("tmpfs", at.c_str(), "tmpfs", 0, ("size=" + size + ",mode=0755").c_str()) == 0;
  }
  ~Tmpfs() {
    if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
  }
  [[nodiscard]] bool Mounted() const { return mounted_; }
  bool Remount(const std::string& options) {
    return ::mount("tmpfs", at_.c_str(), "tmpfs", MS_REMOUNT | (options == "ro" ? MS_RDONLY : 0),
                   options == "ro" ? nullptr : options.c_str()) == 0;
  }

 private:
  fs::path at_;
  bool mounted_ = false;
};

class TbArchiveProgram : public ::testing::Test {
 protected:
  std::vector<std::string> Args(const fs::path& archive, const std::string& now = "2026-03-10 12:00",
                                const std::string& from = "2026-02-18") const {
    return {"--share-root", share.Share().string(), "--client-dir", share.Client().string(), "--archive",
            archive.string(), "--cache-dir", (share.Root() / "cache").string(), "--from", from, "--now", now};
  }
  Finished Run(const std::vector<std::string>& args, rlim_t limit = RLIM_INFINITY) const {
    return Child(args, share.Root(), limit).Wait();
  }
  // Name and digest of every archived file.
  static std::map<std::string, std::string> Digests(const fs::path& archive) {
    std::map<std::string, std::string> out;
    for (const auto& f : ArchivedFiles(archive)) out[f] = tb::archive::DigestOfFile(archive / f).sha256;
    return out;
  }
  // After a failed or killed run: every manifest line still names its file, unchanged.
  static std::vector<std::string> BrokenLines(const fs::path& archive) {
    std::vector<std::string> broken;
    for (const auto& p : ArchiveProblems(archive))
      if (!p.starts_with("not in the manifest") && !p.starts_with("left over")) broken.push_back(p);
    return broken;
  }

  tb::archive::testing::ArchiveShare share;
};

TEST_F(TbArchiveProgram, KilledAtRandomMomentsAndRunAgainGivesExactlyTheCompleteArchive) {
  // The archive an uninterrupted run makes, and how long it takes.
  const fs::path reference = share.Root() / "reference";
  const auto start = std::chrono::steady_clock::now();
  const auto clean = Run(Args(reference));
  const auto took = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(clean.status, 0) << clean.err;
  ASSERT_THAT(clean.out, HasSubstr("21 periods due"));

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<long long> moment(0, std::chrono::duration_cast<std::chrono::microseconds>(took).count());
  const fs::path archive = share.Root() / "archive";
  for (int kill = 0; kill < 6; ++kill) {
    Child run(Args(archive), share.Root());
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    run.Kill();
    const auto killed = run.Wait();
    EXPECT_TRUE(BrokenLines(archive).empty()) << "after kill " << kill << "\n" << Joined(BrokenLines(archive));
  }
  const auto rerun = Run(Args(archive));
  ASSERT_EQ(rerun.status, 0) << rerun.err;
  EXPECT_TRUE(ArchiveProblems(archive).empty()) << Joined(ArchiveProblems(archive));
  EXPECT_EQ(Digests(archive), Digests(reference));
  EXPECT_THAT(Run(Args(archive)).out, HasSubstr("0 periods due"));
}

TEST_F(TbArchiveProgram, ASecondRunWhileTheFirstWorksIsRefused) {
  const fs::path archive = share.Root() / "archive";
  Child first(Args(archive), share.Root());
  // The first run holds the lock once it reports its first period.
  for (int i = 0; i < 600 && first.Out().find("period 1 of") == std::string::npos; ++i)
    std::this_thread::sleep_for(10ms);
  const auto second = Run(Args(archive));
  const auto firstDone = first.Wait();
  EXPECT_EQ(second.status, 1);
  EXPECT_THAT(second.err, HasSubstr("another archive run (process "));
  EXPECT_THAT(second.err, HasSubstr("this run does nothing"));
  EXPECT_EQ(second.out, "");
  ASSERT_EQ(firstDone.status, 0) << firstDone.err;
  EXPECT_TRUE(ArchiveProblems(archive).empty()) << Joined(ArchiveProblems(archive));
}

TEST_F(TbArchiveProgram, AFullDiskEndsTheRunClearlyAndTheNextRunFinishes) {
  const fs::path archive = share.Root() / "small-disk";
  Tmpfs disk(archive, "400k");
  if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here; the file size limit test covers it";
  const auto full = Run(Args(archive));
  EXPECT_EQ(full.status, 1);
  EXPECT_THAT(full.err, HasSubstr("No space left on device")) << full.err;
  EXPECT_THAT(full.out, HasSubstr(": failed\n"));
  EXPECT_TRUE(ArchiveProblems(archive).empty()) << Joined(ArchiveProblems(archive));
  const auto kept = ArchivedFiles(archive).size();
  EXPECT_GT(kept, 0u);  // the periods before the disk filled up are archived

  ASSERT_TRUE(disk.Remount("size=64m"));
  const auto rerun = Run(Args(archive));
  ASSERT_EQ(rerun.status, 0) << rerun.err;
  EXPECT_TRUE(ArchiveProblems(archive).empty()) << Joined(ArchiveProblems(archive));
  EXPECT_GT(ArchivedFiles(archive).size(), kept);
}

TEST_F(TbArchiveProgram, AFileSizeLimitEndsTheRunClearlyAndLeavesNothingPartial) {
  const fs::path archive = share.Root() / "archive";
  // The PDFs are about 50 KB, the CSVs 3 KB: the first PDF cannot be written.
  const auto limited = Run(Args(archive), 20 * 1024);
  EXPECT_EQ(limited.status, 1);
  EXPECT_THAT(limited.err, HasSubstr("File too large")) << limited.err;
  EXPECT_TRUE(ArchivedFiles(archive).empty()) << Joined(ArchiveProblems(archive));
  const auto rerun = Run(Args(archive));
  ASSERT_EQ(rerun.status, 0) << rerun.err;
  EXPECT_TRUE(ArchiveProblems(archive).empty()) << Joined(ArchiveProblems(archive));
}

TEST_F(TbArchiveProgram, AReadOnlyArchiveFolderEndsTheRunClearlyAndChangesNothing) {
  const fs::path archive = share.Root() / "mounted";
  Tmpfs disk(archive, "64m");
  if (!disk.Mounted() && geteuid() == 0) GTEST_SKIP() << "no mount here, and root writes through permissions";
  const auto first = Run(Args(archive, "2026-03-01 12:00"));
  ASSERT_EQ(first.status, 0) << first.err;
  const auto before = Digests(archive);
  if (disk.Mounted()) ASSERT_TRUE(disk.Remount("ro"));
  else fs::permissions(archive, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                       fs::perm_options::remove);
  const auto refused = Run(Args(archive));
  EXPECT_EQ(refused.status, 1);
  EXPECT_THAT(refused.err, AnyOf(HasSubstr("Read-only file system"), HasSubstr("Permission denied"))) << refused.err;
  EXPECT_EQ(Digests(archive), before);
  EXPECT_TRUE(ArchiveProblems(archive).empty()) << Joined(ArchiveProblems(archive));
}

TEST_F(TbArchiveProgram, BadArgumentsExitWithTwoAndTheUsage) {
  const auto bad = Run({"--share-root", share.Share().string(), "--max", "many"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_THAT(bad.err, HasSubstr("tbarchive: --max wants a number of periods"));
  EXPECT_THAT(bad.err, HasSubstr("Usage: tbarchive --share-root DIR"));
  EXPECT_EQ(Run({"--help"}).status, 0);
}

}  // namespace
}  // namespace tbarchive
