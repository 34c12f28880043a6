// tbclient-fixture: the web host serving the small test pages of test_pages.h, for the
// browser tests of the host itself (no share, no database).
#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <thread>

#include "client/web/options.h"
#include "client/web/test_pages.h"
#include "client/web/web_server.h"

int main(int argc, char** argv) {
  std::string host = "127.0.0.1";
  int port = 0;
  if (argc == 3 && std::string(argv[1]) == "--listen") {
    if (!tb::web::ParseListen(argv[2], &host, &port)) return 2;
  } else if (argc != 1) {
    std::cerr << "usage: tbclient-fixture [--listen HOST:PORT]\n";
    return 2;
  }
  std::string pattern = (std::filesystem::temp_directory_path() / "tbfixture-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  tb::web::ServerOptions so;
  so.host = host;
  so.port = port;
  so.makePage = tb::web::testing::MakeTestPage;
  so.tempRoot = pattern;
  so.maxSessions = 8;
  tb::web::WebServer server(so);
  const int bound = server.Bind();
  if (bound < 0) return 1;
  std::cout << "tbclient: serving http://" << host << ":" << bound << "/docMain.vbd" << std::endl;
  std::thread waiter([&] {
    int sig = 0;
    sigwait(&signals, &sig);
    server.Stop();
  });
  server.Serve();
  server.Stop();
  pthread_kill(waiter.native_handle(), SIGTERM);
  waiter.join();
  std::filesystem::remove_all(pattern);
  return 0;
}
