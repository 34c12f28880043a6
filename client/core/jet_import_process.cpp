#include "client/core/jet_import_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "client/core/database.h"

extern char** environ;

namespace tb::jet {
namespace {

using Clock = std::chrono::steady_clock;

// Owns the spawn attribute and file-action objects for one start.
class SpawnSetup {
 public:
  explicit SpawnSetup(const std::filesystem::path& log) {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attr_);
    posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions_, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions_, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    // Sockets and files of the web host stay out of the child.
    posix_spawn_file_actions_addclosefrom_np(&actions_, 3);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGCHLD, SIGINT, SIGTERM, SIGHUP, SIGXCPU, SIGALRM}) {
      sigaddset(&defaults, sig);
    }
    posix_spawnattr_setsigmask(&attr_, &none);
    posix_spawnattr_setsigdefault(&attr_, &defaults);
    posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attr_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
  const posix_spawn_file_actions_t* Actions() const { return &actions_; }
  const posix_spawnattr_t* Attributes() const { return &attr_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attr_;
};

pid_t Start(const ImportRun& run) {
  const auto cpuSeconds =
      std::chrono::duration_cast<std::chrono::seconds>(run.timeout).count() + 5;
  std::vector<std::string> args{run.importer.string(), "--max-memory",
                                std::to_string(run.maxMemoryBytes), "--max-cpu",
                                std::to_string(cpuSeconds), run.source.string(),
                                run.target.string()};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  SpawnSetup setup(run.log);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, run.importer.c_str(), setup.Actions(), setup.Attributes(),
                             argv.data(), environ);
  if (rc != 0) {
    throw db::DbError("cannot start " + run.importer.string() + ": " + std::strerror(rc));
  }
  return pid;
}

// True when the process is running or waiting for a processor (it is working), false
// when it sleeps, waits for a disk or a share, or is stopped.
bool Working(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  const auto close = text.rfind(')');
  return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'R';
}

struct Ended {
  std::optional<int> status;  // nullopt: killed here past the deadline
  bool workingAtDeadline = false;
};

// Waits for the child until the deadline; kills it past the deadline.
Ended Wait(pid_t pid, Clock::time_point deadline) {
  auto pause = std::chrono::microseconds(500);
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) return {status, false};
    if (done < 0 && errno != EINTR) {
      throw db::DbError(std::string("lost the import process: ") + std::strerror(errno));
    }
    if (Clock::now() >= deadline) {
      const bool working = Working(pid);
      ::kill(pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      return {std::nullopt, working};
    }
    std::this_thread::sleep_for(pause);
    pause = std::min<std::chrono::microseconds>(pause * 2, std::chrono::milliseconds(20));
  }
}

// The last non-empty line of the importer's error output, at most 300 bytes.
std::string LastLogLine(const std::filesystem::path& log) {
  std::ifstream in(log);
  std::string line, last;
  while (std::getline(in, line)) {
    if (!line.empty()) last = line;
  }
  return last.substr(0, 300);
}

}  // namespace

std::filesystem::path FindImporter(const std::filesystem::path& configured) {
  if (!configured.empty()) return configured;
  if (const char* env = std::getenv("TB_JET_IMPORTER"); env && *env) return env;
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) throw db::DbError("cannot find the folder of the running program");
  return self.parent_path() / "tbjetimport";
}

void RunImporter(const ImportRun& run) {
  const pid_t pid = Start(run);
  const Ended ended = Wait(pid, Clock::now() + run.timeout);
  const std::string what = "import of " + run.source.string();
  if (!ended.status) {
    throw ImportFailed(what + (ended.workingAtDeadline ? " timed out" : " timed out waiting"),
                       ended.workingAtDeadline);
  }
  const int status = *ended.status;
  if (WIFSIGNALED(status)) {
    // Killed from outside (the time limit is enforced above, the CPU limit by SIGXCPU).
    const bool killed = WTERMSIG(status) == SIGKILL;
    throw ImportFailed(what + " ended by signal " + std::to_string(WTERMSIG(status)) + " " +
                           LastLogLine(run.log),
                       !killed);
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw ImportFailed(what + " failed (exit " + std::to_string(WEXITSTATUS(status)) +
                           "): " + LastLogLine(run.log),
                       true);
  }
}

}  // namespace tb::jet
