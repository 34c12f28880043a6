#include "client/core/jet_cache.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "client/core/database.h"
#include "client/core/jet_cache_key.h"
#include "client/core/jet_import_process.h"

namespace tb::jet {
namespace {

namespace fs = std::filesystem;

// One mutex per source file, so that two sessions of this process import a file once.
std::mutex& SourceMutex(const std::string& sourceId) {
  static std::mutex mapMutex;
  static std::map<std::string, std::unique_ptr<std::mutex>> mutexes;
  std::lock_guard lock(mapMutex);
  auto& m = mutexes[sourceId];
  if (!m) m = std::make_unique<std::mutex>();
  return *m;
}

// An exclusive flock on the source's lock file: other processes import it once too.
class FileLock {
 public:
  explicit FileLock(const fs::path& file)
      : fd_(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (fd_ < 0) throw db::DbError("cannot open lock " + file.string() + ": " + std::strerror(errno));
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        ::close(fd_);
        throw db::DbError("cannot lock " + file.string() + ": " + std::strerror(errno));
      }
    }
  }
  ~FileLock() { ::close(fd_); }  // closing releases the lock
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_;
};

fs::path Canonical(const fs::path& file) {
  std::error_code ec;
  fs::path canonical = fs::canonical(file, ec);
  if (ec) throw db::DbError("cannot find " + file.string() + ": " + ec.message());
  return canonical;
}

bool IsWithin(const fs::path& inner, const fs::path& outer) {
  auto o = outer.begin();
  for (auto i = inner.begin(); o != outer.end(); ++i, ++o) {
    if (i == inner.end() || *i != *o) return false;
  }
  return true;
}

// The cache folder is created private (0700); an existing one must belong to this user
// and be writable by nobody else. It must not lie in the source's folder or contain it:
// caches never go onto the share.
fs::path PrepareCacheDir(const fs::path& cacheDir, const fs::path& source) {
  std::error_code ec;
  if (!fs::exists(cacheDir, ec)) {
    fs::create_directories(cacheDir, ec);
    if (ec) throw db::DbError("cannot create " + cacheDir.string() + ": " + ec.message());
    fs::permissions(cacheDir, fs::perms::owner_all, fs::perm_options::replace, ec);
  }
  const fs::path dir = Canonical(cacheDir);
  // A folder someone else owns or may write to (a default under /tmp made by another
  // user) could feed the client a forged cache.
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH))) {
    throw db::DbError("the Jet cache folder " + dir.string() + " is not private to this user");
  }
  if (IsWithin(dir, source.parent_path()) || IsWithin(source.parent_path(), dir)) {
    throw db::DbError("the Jet cache folder must not share a folder with " + source.string());
  }
  return dir;
}

// Removes the source's leftover temporary files and, with `keep` set, its cache and
// failure files other than `keep`. Requires: the source's lock is held.
void RemoveOtherFiles(const fs::path& dir, const std::string& sourceId, const fs::path& keep) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    const fs::path& path = entry.path();
    if (!IsCacheOf(path.filename().string(), sourceId) || path == keep) continue;
    const bool temporary = path.extension() == ".tmp" || path.extension() == ".log";
    if (!keep.empty() || temporary) fs::remove(path, ec);
  }
}

fs::path TempName(const fs::path& dir, const std::string& sourceId, const char* ext) {
  static std::atomic<unsigned> counter{0};
  return dir / ("jet-" + sourceId + "." + std::to_string(::getpid()) + "-" +
                std::to_string(counter++) + ext);
}

// Makes the imported file durable before it is renamed into place.
void SyncFile(const fs::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

struct Job {
  fs::path source, dir;
  std::string sourceId;
  const JetImportOptions* options;
};

void RememberFailure(const Job& job, const SourceState& state, const std::string& message) {
  if (job.options->failureMemory.count() <= 0) return;
  std::ofstream(job.dir / FailureFileName(job.sourceId, state)) << message << '\n';
}

// Throws the remembered failure of an import of this very state, while it is recent.
void ThrowRememberedFailure(const Job& job, const SourceState& state) {
  if (job.options->failureMemory.count() <= 0) return;
  const fs::path marker = job.dir / FailureFileName(job.sourceId, state);
  std::error_code ec;
  const auto written = fs::last_write_time(marker, ec);
  if (ec || fs::file_time_type::clock::now() - written > job.options->failureMemory) return;
  std::ifstream in(marker);
  std::string message;
  std::getline(in, message);
  throw db::DbError("an earlier import failed: " + message);
}

// One import: returns the cache path, or an empty path when the source changed meanwhile.
fs::path ImportOnce(const Job& job, const SourceState& before) {
  ImportRun run;
  run.importer = FindImporter(job.options->importer);
  run.source = job.source;
  run.target = TempName(job.dir, job.sourceId, ".tmp");
  run.log = run.target;
  run.log.replace_extension(".log");
  run.timeout = job.options->timeout;
  run.maxMemoryBytes = job.options->maxMemoryBytes;
  std::error_code ec;
  try {
    RunImporter(run);
  } catch (const ImportFailed& e) {
    fs::remove(run.target, ec);
    fs::remove(run.log, ec);
    // Only a failure that says something about the file spares the next requests its
    // import; after a kill from outside or a hang the next request imports again.
    if (e.AboutTheFile()) RememberFailure(job, before, e.what());
    throw;
  } catch (...) {
    fs::remove(run.target, ec);
    fs::remove(run.log, ec);
    throw;
  }
  fs::remove(run.log, ec);
  if (ReadSourceState(job.source) != before) {
    fs::remove(run.target, ec);
    return {};
  }
  const fs::path cache = job.dir / CacheFileName(job.sourceId, before);
  SyncFile(run.target);
  fs::rename(run.target, cache, ec);
  if (ec) {
    fs::remove(run.target, ec);
    throw db::DbError("cannot place the cache " + cache.string());
  }
  RemoveOtherFiles(job.dir, job.sourceId, cache);
  return cache;
}

fs::path ImportLocked(const Job& job) {
  RemoveOtherFiles(job.dir, job.sourceId, {});  // leftovers of crashed imports only
  for (int attempt = 0; attempt < job.options->attempts; ++attempt) {
    const SourceState before = ReadSourceState(job.source);
    const fs::path cache = job.dir / CacheFileName(job.sourceId, before);
    if (fs::exists(cache)) return cache;
    ThrowRememberedFailure(job, before);
    if (fs::path done = ImportOnce(job, before); !done.empty()) return done;
  }
  throw db::DbError(job.source.string() + " kept changing while it was imported");
}

fs::path EnsureCacheUnchecked(const fs::path& jetFile, const fs::path& cacheDir,
                              const JetImportOptions& options) {
  Job job{Canonical(jetFile), {}, {}, &options};
  job.dir = PrepareCacheDir(cacheDir, job.source);
  job.sourceId = SourceId(job.source);
  // Fast path: a cache file exists only once complete, and its name says it is current.
  const SourceState state = ReadSourceState(job.source);
  if (const fs::path current = job.dir / CacheFileName(job.sourceId, state); fs::exists(current)) {
    return current;
  }
  ThrowRememberedFailure(job, state);
  std::lock_guard threads(SourceMutex(job.sourceId));
  FileLock processes(job.dir / LockFileName(job.sourceId));
  return ImportLocked(job);
}

}  // namespace

bool HasJetHeader(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::array<char, 19> head{};
  if (!in.read(head.data(), head.size())) return false;
  const std::string_view text(head.data(), head.size());
  return text.substr(0, 4) == std::string_view("\x00\x01\x00\x00", 4) &&
         (text.substr(4) == "Standard Jet DB" || text.substr(4) == "Standard ACE DB");
}

JetImportOptions ImportOptionsFromSetting(const char* timeoutSetting) {
  JetImportOptions options;
  if (timeoutSetting) {
    char* end = nullptr;
    const long seconds = std::strtol(timeoutSetting, &end, 10);
    // At most a day: a longer limit is surely a typing error, and strtol's LONG_MAX for
    // an overlong number would overflow the limit's milliseconds.
    constexpr long kMaxSeconds = 24 * 60 * 60;
    if (*timeoutSetting && !*end && seconds > 0 && seconds <= kMaxSeconds)
      options.timeout = std::chrono::seconds(seconds);
  }
  return options;
}

fs::path EnsureCache(const fs::path& jetFile, const fs::path& cacheDir) {
  static const JetImportOptions options = ImportOptionsFromSetting(std::getenv("TB_JET_IMPORT_TIMEOUT"));
  return EnsureCache(jetFile, cacheDir, options);
}

fs::path EnsureCache(const fs::path& jetFile, const fs::path& cacheDir,
                     const JetImportOptions& options) {
  // Every failure leaves as DbError, file-system errors (a folder without access) included.
  try {
    return EnsureCacheUnchecked(jetFile, cacheDir, options);
  } catch (const db::DbError&) {
    throw;
  } catch (const std::exception& e) {
    throw db::DbError(std::string("Jet cache: ") + e.what());
  }
}

}  // namespace tb::jet
