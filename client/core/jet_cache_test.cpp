// The Jet cache: imports once, stays current, survives damaged files and misbehaving
// import processes with a DbError.
#include "client/core/jet_cache.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <sys/wait.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <future>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "client/core/database.h"
#include "client/core/jet_samples.h"

namespace fs = std::filesystem;
using tb::db::DbError;
using tb::jet::EnsureCache;
using tb::jet::ImportOptionsFromSetting;
using tb::jet::JetImportOptions;

namespace {

fs::path Sample(const std::string& name) { return tb::testing::JetSample(name); }

std::string Scalar(const fs::path& db, const std::string& sql) {
  sqlite3* h = nullptr;
  sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  std::string value = "<error>";
  if (sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    value = t ? t : "<null>";
  }
  sqlite3_finalize(st);
  sqlite3_close(h);
  return value;
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

void WriteAll(const fs::path& file, const std::string& data) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << data;
}

class JetCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TB_SKIP_WITHOUT_JET_SAMPLES();
    root_ = fs::temp_directory_path() / ("jet_cache_test_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "share");
    cache_ = root_ / "cache";
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path Copy(const std::string& sample) {
    const fs::path copy = root_ / "share" / sample;
    WriteAll(copy, ReadAll(Sample(sample)));
    return copy;
  }
  // A stand-in importer: a shell script that counts its runs in `counter`, then `body`.
  fs::path Script(const std::string& body) {
    const fs::path script = root_ / "importer.sh";
    WriteAll(script, "#!/bin/sh\necho run >> '" + (root_ / "runs").string() + "'\n" + body + "\n");
    fs::permissions(script, fs::perms::owner_all);
    return script;
  }
  int Runs() {
    std::ifstream in(root_ / "runs");
    int n = 0;
    for (std::string line; std::getline(in, line);) ++n;
    return n;
  }
  std::vector<fs::path> CacheFiles() {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(cache_)) {
      if (e.path().extension() != ".lock") files.push_back(e.path());
    }
    return files;
  }
  static fs::path RealImporter() {
    const char* bin = std::getenv("TB_BINARY_DIR");
    return fs::path(bin ? bin : "build") / "bin" / "tbjetimport";
  }
  fs::path root_, cache_;
};

}  // namespace

TEST(JetHeader, RecognisesJetAndAceOnly) {
  TB_SKIP_WITHOUT_JET_SAMPLES();
  const fs::path dir = fs::temp_directory_path() / ("jet_header_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  struct Case { std::string name, bytes; bool jet; };
  const std::string zero4("\x00\x01\x00\x00", 4);
  const Case cases[] = {
      {"jet4", zero4 + "Standard Jet DB" + std::string(100, '\0'), true},
      {"ace", zero4 + "Standard ACE DB" + std::string(100, '\0'), true},
      {"sqlite", "SQLite format 3" + std::string(100, '\0'), false},
      {"short", zero4 + "Standard Jet", false},
      {"empty", "", false},
      {"wrong-lead", std::string("\x01\x01\x00\x00", 4) + "Standard Jet DB", false},
  };
  for (const Case& c : cases) {
    WriteAll(dir / c.name, c.bytes);
    EXPECT_EQ(tb::jet::HasJetHeader(dir / c.name), c.jet) << c.name;
  }
  EXPECT_TRUE(tb::jet::HasJetHeader(Sample("nwind.mdb")));
  EXPECT_TRUE(tb::jet::HasJetHeader(Sample("ASampleDatabase.accdb")));
  EXPECT_FALSE(tb::jet::HasJetHeader(dir / "missing"));
  fs::remove_all(dir);
}

// The time limit can be set from outside; a setting that is not a positive number of
// seconds keeps the default instead of killing every import at once.
TEST(JetImportOptions, TimeLimitSettingTakesWholePositiveSecondsOnly) {
  const auto standard = JetImportOptions{}.timeout;
  EXPECT_EQ(ImportOptionsFromSetting(nullptr).timeout, standard);
  EXPECT_EQ(ImportOptionsFromSetting("7").timeout, std::chrono::seconds(7));
  EXPECT_EQ(ImportOptionsFromSetting("86400").timeout, std::chrono::hours(24));
  for (const char* ignored : {"", "abc", "0", "-3", "5x", "1.5", "86401", "99999999999999999999"})
    EXPECT_EQ(ImportOptionsFromSetting(ignored).timeout, standard) << '"' << ignored << '"';
}

TEST_F(JetCacheTest, ImportsOnceIntoAPrivateFolderAndReusesTheCache) {
  const fs::path source = Copy("nwind.mdb");
  const fs::path cache = EnsureCache(source, cache_);
  EXPECT_EQ(cache.parent_path(), fs::canonical(cache_));
  EXPECT_EQ(fs::status(cache_).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(Scalar(cache, "SELECT COUNT(*) FROM \"Order Details\""), "2155");
  EXPECT_EQ(Scalar(cache, "SELECT COUNT(*) FROM \"Umsätze\""), "830");
  struct stat first {}, again {};
  ::stat(cache.c_str(), &first);
  EXPECT_EQ(EnsureCache(source, cache_), cache);
  ::stat(cache.c_str(), &again);
  EXPECT_EQ(first.st_ino, again.st_ino);  // the same file, not a new import
  EXPECT_EQ(CacheFiles().size(), 1u);
}

TEST_F(JetCacheTest, RebuildsWhenTheSourceChangesAndDropsTheOldCache) {
  const fs::path source = Copy("nwind.mdb");
  const fs::path before = EnsureCache(source, cache_);
  // Another file's content under the same name (as when the server copies a new version).
  WriteAll(source, ReadAll(Sample("DateTestDatabase.mdb")));
  const fs::path after = EnsureCache(source, cache_);
  EXPECT_NE(after, before);
  EXPECT_FALSE(fs::exists(before));
  EXPECT_EQ(Scalar(after, "SELECT COUNT(*) FROM DateTest"), "6");
  // Touching alone is a change too.
  fs::last_write_time(source, fs::last_write_time(source) + std::chrono::seconds(5));
  EXPECT_NE(EnsureCache(source, cache_), after);
  EXPECT_EQ(CacheFiles().size(), 1u);
}

TEST_F(JetCacheTest, ConcurrentCallersImportOnce) {
  const fs::path source = Copy("nwind.mdb");
  JetImportOptions options;
  options.importer = Script("sleep 0.3; exec '" + RealImporter().string() + "' \"$@\"");
  std::vector<fs::path> results(6);
  std::vector<std::thread> threads;
  for (auto& r : results) threads.emplace_back([&] { r = EnsureCache(source, cache_, options); });
  for (auto& t : threads) t.join();
  for (const auto& r : results) EXPECT_EQ(r, results[0]);
  EXPECT_EQ(Runs(), 1);
  // Another process (a child of this test) asking at the same time waits for the lock
  // rather than importing again.
  const fs::path second = Copy("DateTestDatabase.mdb");
  const pid_t child = ::fork();
  if (child == 0) {
    try {
      (void)EnsureCache(second, cache_, options);
      ::_exit(0);
    } catch (...) {
      ::_exit(1);
    }
  }
  const fs::path mine = EnsureCache(second, cache_, options);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(fs::exists(mine));
  EXPECT_EQ(Runs(), 2);
}

TEST_F(JetCacheTest, ImporterInheritsNoDescriptors) {
  const fs::path source = Copy("nwind.mdb");
  const int inherited = ::open(source.c_str(), O_RDONLY);  // no close-on-exec
  ASSERT_GE(inherited, 3);
  JetImportOptions options;
  options.importer = Script("[ -e /proc/$$/fd/" + std::to_string(inherited) + " ] && exit 9\nexec '" +
                            RealImporter().string() + "' \"$@\"");
  EXPECT_NO_THROW((void)EnsureCache(source, cache_, options));
  ::close(inherited);
}

TEST_F(JetCacheTest, MisbehavingImportsEndInDbError) {
  const fs::path source = Copy("nwind.mdb");
  struct Case { const char* name; std::string body; };
  const Case cases[] = {
      {"crash", "kill -SEGV $$"},
      {"non-zero exit", "exit 4"},
      {"hang", "sleep 30"},
      {"missing program", ""},
  };
  for (const Case& c : cases) {
    JetImportOptions options;
    options.timeout = std::chrono::milliseconds(500);
    options.failureMemory = std::chrono::seconds(0);  // each case runs its own importer
    options.importer = *c.body.c_str() ? Script(c.body) : root_ / "no-such-importer";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW((void)EnsureCache(source, cache_, options), DbError) << c.name;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.name;
    EXPECT_TRUE(CacheFiles().empty()) << c.name;  // no half-written or temporary files
  }
}

TEST_F(JetCacheTest, MemoryLimitHoldsTheImporter) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitized importer runs without an address-space limit";
#endif
  JetImportOptions options;
  options.maxMemoryBytes = 8u << 20;  // far below what loading the libraries takes
  EXPECT_THROW((void)EnsureCache(Copy("nwind.mdb"), cache_, options), DbError);
}

// A damaged file that the importer refuses, crashes on or keeps working on past its time
// costs one import, not one per request, until it changes.
TEST_F(JetCacheTest, FailedImportIsRememberedUntilTheFileChanges) {
  const fs::path source = Copy("nwind.mdb");
  JetImportOptions options;
  options.timeout = std::chrono::milliseconds(500);
  options.importer = Script("while :; do :; done");  // busy on the file when its time is up
  EXPECT_THROW((void)EnsureCache(source, cache_, options), DbError);
  EXPECT_THROW((void)EnsureCache(source, cache_, options), DbError);
  EXPECT_EQ(Runs(), 1);
  fs::last_write_time(source, fs::last_write_time(source) + std::chrono::seconds(5));
  options.importer = Script("exit 4");
  EXPECT_THROW((void)EnsureCache(source, cache_, options), DbError);
  EXPECT_THROW((void)EnsureCache(source, cache_, options), DbError);
  EXPECT_EQ(Runs(), 2);
  fs::last_write_time(source, fs::last_write_time(source) + std::chrono::seconds(10));
  EXPECT_THROW((void)EnsureCache(source, cache_, options), DbError);
  EXPECT_EQ(Runs(), 3);
  options.importer = RealImporter();
  options.failureMemory = std::chrono::seconds(0);  // forgotten: the file is imported again
  EXPECT_NO_THROW((void)EnsureCache(source, cache_, options));
  EXPECT_EQ(CacheFiles().size(), 1u);  // the failure record went with the rebuild
}

// Requests that wait for an import of a damaged file while it fails share its failure:
// the file is imported once, not once per waiting request.
TEST_F(JetCacheTest, ConcurrentCallersOfADamagedFileImportOnce) {
  const fs::path source = Copy("nwind.mdb");
  JetImportOptions options;
  options.importer = Script("sleep 0.3; exit 4");  // the importer refuses the file
  std::atomic<int> failed = 0;
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i)
    threads.emplace_back([&] {
      try {
        (void)EnsureCache(source, cache_, options);
      } catch (const DbError&) {
        ++failed;
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(failed, 4);
  EXPECT_EQ(Runs(), 1);
}

// The importer killed from outside in the middle of its work, or hanging without working
// until its time is up: the request fails, no half-written cache stays and nothing is
// remembered against the file, so the next request imports it.
TEST_F(JetCacheTest, ImporterKilledOrHangingMidImportLeavesNoCacheAndTheNextRequestImports) {
  const fs::path source = Copy("nwind.mdb");
  const fs::path pidFile = root_ / "pid";
  for (const bool killed : {true, false}) {
    SCOPED_TRACE(killed ? "killed" : "hanging");
    fs::remove(pidFile);
    JetImportOptions options;
    options.timeout = killed ? std::chrono::milliseconds(30000) : std::chrono::milliseconds(500);
    // Part of a cache written, then waiting (the shell becomes the sleep: one process).
    options.importer = Script("printf 'SQLite format 3' > \"$6\"\necho $$ > '" + pidFile.string() +
                              ".tmp'; mv '" + pidFile.string() + ".tmp' '" + pidFile.string() +
                              "'\nexec sleep 60");
    auto request = std::async(std::launch::async, [&] { return EnsureCache(source, cache_, options); });
    if (killed) {
      for (int i = 0; i < 1000 && !fs::exists(pidFile); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      ASSERT_TRUE(fs::exists(pidFile));
      ::kill(std::stoi(ReadAll(pidFile)), SIGKILL);
    }
    EXPECT_THROW((void)request.get(), DbError);
    EXPECT_TRUE(CacheFiles().empty()) << "no partial cache, no failure remembered";
    options.importer = RealImporter();
    const fs::path cache = EnsureCache(source, cache_, options);
    EXPECT_EQ(Scalar(cache, "SELECT COUNT(*) FROM Shippers"), "3");
    fs::remove(cache);
  }
}

TEST_F(JetCacheTest, SourceChangingDuringTheImportIsImportedAgain) {
  const fs::path source = Copy("nwind.mdb");
  JetImportOptions options;
  // The first run changes the source while it imports; later runs leave it alone.
  options.importer = Script("[ $(wc -l < '" + (root_ / "runs").string() + "') -eq 1 ] && touch -d '+1 hour' '" +
                            source.string() + "'\nexec '" + RealImporter().string() + "' \"$@\"");
  const fs::path cache = EnsureCache(source, cache_, options);
  EXPECT_EQ(Runs(), 2);
  EXPECT_EQ(Scalar(cache, "SELECT COUNT(*) FROM Shippers"), "3");
  // A source that changes during every import fails after the bounded attempts.
  fs::last_write_time(source, fs::last_write_time(source) + std::chrono::seconds(5));
  options.importer = Script("touch -d \"+$(wc -l < '" + (root_ / "runs").string() + "') hours\" '" +
                            source.string() + "'\nexec '" + RealImporter().string() + "' \"$@\"");
  EXPECT_THROW((void)EnsureCache(source, cache_, options), DbError);
  for (const auto& f : CacheFiles())  // no attempt's half-made cache or log stays behind
    EXPECT_TRUE(f.extension() != ".tmp" && f.extension() != ".log") << f;
}

TEST_F(JetCacheTest, RefusesUnusableCacheFoldersAndMissingFiles) {
  const fs::path source = Copy("nwind.mdb");
  WriteAll(root_ / "a-file", "not a folder");
  EXPECT_THROW((void)EnsureCache(source, root_ / "a-file"), DbError);
  EXPECT_THROW((void)EnsureCache(source, root_ / "a-file" / "below"), DbError);
  fs::create_directories(root_ / "shared-cache");
  fs::permissions(root_ / "shared-cache", fs::perms::all);  // writable by everyone
  EXPECT_THROW((void)EnsureCache(source, root_ / "shared-cache"), DbError);
  EXPECT_THROW((void)EnsureCache(source, root_ / "share" / "cache"), DbError);
  EXPECT_THROW((void)EnsureCache(source, root_), DbError);
  EXPECT_THROW((void)EnsureCache(root_ / "share" / "missing.mdb", cache_), DbError);
}

TEST_F(JetCacheTest, MalformedFilesEndInDbError) {
  const std::string good = ReadAll(Sample("nwind.mdb"));
  std::mt19937 random(20261208);
  std::string noise(64 * 1024, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  struct Case { const char* name; std::string bytes; };
  const Case cases[] = {
      {"header only", good.substr(0, 4096)},
      {"truncated", good.substr(0, 3 * 4096 + 100)},
      {"random after a Jet header", good.substr(0, 128) + noise},
      {"cut at a page boundary", good.substr(0, 40 * 4096)},
      {"second half zeroed", good.substr(0, good.size() / 8192 * 4096) +
                                 std::string(good.size() - good.size() / 8192 * 4096, '\0')},
  };
  for (const Case& c : cases) {
    const fs::path file = root_ / "share" / "bad.mdb";
    WriteAll(file, c.bytes);
    EXPECT_THROW((void)EnsureCache(file, cache_), DbError) << c.name;
  }
}

// Randomly damaged copies: each import either succeeds or ends in DbError; the calling
// process never crashes or hangs, whatever the helper process does with the file.
TEST_F(JetCacheTest, FuzzedFilesNeverTakeTheCallerDown) {
  const std::string good = ReadAll(Sample("nwind.mdb"));
  std::mt19937 random(7);
  JetImportOptions options;
  options.timeout = std::chrono::seconds(10);
  int failed = 0, imported = 0;
  constexpr int kFiles = 60;
  for (int i = 0; i < kFiles; ++i) {
    std::string bytes = good;
    const int flips = 1 + static_cast<int>(random() % 64);
    for (int f = 0; f < flips; ++f) bytes[random() % bytes.size()] = static_cast<char>(random());
    if (i % 5 == 0) bytes.resize(random() % bytes.size());
    const fs::path file = root_ / "share" / ("fuzz" + std::to_string(i) + ".mdb");
    WriteAll(file, bytes);
    try {
      (void)EnsureCache(file, cache_, options);
      ++imported;
    } catch (const DbError&) {
      ++failed;
    }
    fs::remove(file);
  }
  EXPECT_EQ(imported + failed, kFiles);
  RecordProperty("imported", imported);
  RecordProperty("failed", failed);
}
