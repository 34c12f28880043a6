// tbclient: the report client's web host. Serves the selection and grid pages of the
// share given on the command line (or in the installation's configuration file) to web
// browsers until SIGINT or SIGTERM. Stopping takes no new sessions, lets the print jobs
// that are running finish (at most kPrintJobBound), then ends with status 0.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "client/core/health_check.h"
#include "client/printing/job_gate.h"
#include "client/printing/print_environment.h"
#include "client/web/health_answer.h"
#include "client/web/options.h"
#include "client/web/page_factory.h"
#include "client/web/web_server.h"

namespace {

namespace fs = std::filesystem;

// How long a stopping server waits for running print jobs (systemd's stop timeout in
// packaging/tbclient.service is longer).
constexpr auto kPrintJobBound = std::chrono::seconds(30);
// How old a health answer may be before the next request checks again.
constexpr auto kHealthMaxAge = std::chrono::seconds(5);

fs::path ExeDir(const char* argv0) {
  std::error_code ec;
  auto self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) self = fs::absolute(argv0, ec);
  return self.parent_path();
}

// A private folder for the sessions' saved files, removed when the server ends.
fs::path MakeTempRoot() {
  std::string pattern = (fs::temp_directory_path() / "tbclient-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

// The Jet caches are written on first use; a folder that cannot be written stops the
// start rather than the first report of an Access share.
bool PrepareCacheDir(const fs::path& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec || ::access(dir.c_str(), W_OK | X_OK) != 0) {
    std::cerr << "tbclient: the cache folder cannot be written: " << dir.string() << " ("
              << (ec ? ec.message() : std::strerror(errno)) << ")\n";
    return false;
  }
  return true;
}

// The operation log is written silently (a failure shows nobody anything): say at start
// when it cannot be.
void WarnIfLogUnwritable(const fs::path& clientDir) {
  std::error_code ec;
  const auto weblog = clientDir / "WEBLOG";
  const auto& probe = fs::is_directory(weblog, ec) ? weblog : clientDir;
  if (::access(probe.c_str(), W_OK | X_OK) != 0)
    std::cerr << "tbclient: warning: the operation log cannot be written in " << probe.string()
              << " (" << std::strerror(errno) << ")\n";
}

// Waits for SIGINT or SIGTERM, then stops in order: no new sessions, no new print jobs,
// the running jobs finish. Returns false when a job was still running at the bound.
bool AwaitStop(const sigset_t& signals, tb::web::WebServer& server) {
  int sig = 0;
  sigwait(&signals, &sig);
  server.StopTakingSessions();
  auto& jobs = tb::print::PrintJobs();
  jobs.Close();
  if (const int running = jobs.Running(); running > 0)
    std::cerr << "tbclient: stopping: waiting for " << running << " print job(s)" << std::endl;
  return jobs.WaitIdle(std::chrono::steady_clock::now() + kPrintJobBound);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  auto options = tb::web::ParseOptions(args, ExeDir(argv[0]), &error);
  if (!options) {
    std::cerr << "tbclient: " << error << "\nTry 'tbclient --help'.\n";
    return 2;
  }
  if (options->help || options->version) {
    std::cout << (options->help ? tb::web::Usage() : tb::web::VersionLine());
    return 0;
  }
  // The form library and the print code find the printer settings through the environment.
  if (!options->printerDir.empty()) setenv("FMDRAW_WINDIR", options->printerDir.c_str(), 1);
  if (!PrepareCacheDir(options->cacheDir)) return 1;
  WarnIfLogUnwritable(options->clientDir);
  auto tempRoot = MakeTempRoot();
  if (tempRoot.empty()) {
    std::cerr << "tbclient: cannot make a temporary folder\n";
    return 1;
  }

  // Signals are taken by one thread with sigwait; every other thread blocks them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  const tb::ClientEnvironment env{options->shareRoot, options->clientDir, options->cacheDir,
                                  options->formLibrary};
  tb::web::HealthCache health([env] { return tb::CheckInstallation(env); }, kHealthMaxAge, std::cerr);
  tb::web::ServerOptions so;
  so.host = options->host;
  so.port = options->port;
  so.env = env;
  so.makePage = tb::web::ReportPages();
  so.hasPrinter = [] { return tb::print::HasInstalledPrinter(); };  // the form library's registry
  so.health = [&health] { return health.Get(); };
  so.tempRoot = tempRoot;
  so.archiveRoot = options->archiveDir;
  tb::web::WebServer server(so);
  const int port = server.Bind();
  if (port < 0) {
    std::cerr << "tbclient: cannot listen on " << options->host << ":" << options->port << "\n";
    fs::remove_all(tempRoot);
    return 1;
  }
  const std::string shown = options->host.find(':') != std::string::npos
                                ? "[" + options->host + "]" : options->host;
  std::cout << "tbclient: serving http://" << shown << ":" << port << "/docMain.vbd" << std::endl;

  std::thread waiter([&] {
    if (!AwaitStop(signals, server)) {
      // A session's thread is still inside the print job: it cannot be ended cleanly.
      std::cerr << "tbclient: a print job was still running after " << kPrintJobBound.count()
                << " s; stopping without it" << std::endl;
      std::error_code ec;
      fs::remove_all(tempRoot, ec);
      std::_Exit(1);
    }
    server.Stop();
  });
  const bool ok = server.Serve();
  server.Stop();
  // Wake the signal thread if the server ended on its own.
  pthread_kill(waiter.native_handle(), SIGTERM);
  waiter.join();
  std::error_code ec;
  fs::remove_all(tempRoot, ec);
  std::cerr << "tbclient: stopped" << std::endl;
  return ok ? 0 : 1;
}
