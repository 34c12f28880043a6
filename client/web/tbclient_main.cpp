// tbclient: the report client's web host. Serves the selection and grid pages of the
// share given on the command line to web browsers until SIGINT or SIGTERM.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "client/printing/print_environment.h"
#include "client/web/options.h"
#include "client/web/page_factory.h"
#include "client/web/web_server.h"

namespace {

std::filesystem::path ExeDir(const char* argv0) {
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) self = std::filesystem::absolute(argv0, ec);
  return self.parent_path();
}

// A private folder for the sessions' saved files, removed when the server ends.
std::filesystem::path MakeTempRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tbclient-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  auto options = tb::web::ParseOptions(args, ExeDir(argv[0]), &error);
  if (!options) {
    std::cerr << "tbclient: " << error << "\n" << tb::web::Usage();
    return 2;
  }
  if (options->help) {
    std::cout << tb::web::Usage();
    return 0;
  }
  std::error_code ec;
  std::filesystem::create_directories(options->cacheDir, ec);  // a failure shows on first use
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

  tb::web::ServerOptions so;
  so.host = options->host;
  so.port = options->port;
  so.env = {options->shareRoot, options->clientDir, options->cacheDir, options->formLibrary};
  so.makePage = tb::web::ReportPages();
  so.hasPrinter = [] { return tb::print::HasInstalledPrinter(); };  // the form library's registry
  so.tempRoot = tempRoot;
  so.archiveRoot = options->archiveDir;
  tb::web::WebServer server(so);
  const int port = server.Bind();
  if (port < 0) {
    std::cerr << "tbclient: cannot listen on " << options->host << ":" << options->port << "\n";
    std::filesystem::remove_all(tempRoot);
    return 1;
  }
  const std::string shown = options->host.find(':') != std::string::npos
                                ? "[" + options->host + "]" : options->host;
  std::cout << "tbclient: serving http://" << shown << ":" << port << "/docMain.vbd" << std::endl;

  std::thread waiter([&] {
    int sig = 0;
    sigwait(&signals, &sig);
    server.Stop();
  });
  const bool ok = server.Serve();
  server.Stop();
  // Wake the signal thread if the server ended on its own.
  pthread_kill(waiter.native_handle(), SIGTERM);
  waiter.join();
  std::filesystem::remove_all(tempRoot, ec);
  return ok ? 0 : 1;
}
