// tbcheck --share-root DIR --client-dir DIR: reads a share through the client core and
// prints what it finds. Exit status 0 when the share reads without a message, 1 when the
// core showed a message, 2 for bad arguments.
#include <iostream>
#include <string>

#include "tools/tbcheck/share_check.h"

int main(int argc, char** argv) {
  tb::ClientEnvironment env;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (i + 1 < argc && a == "--share-root") env.shareRoot = argv[++i];
    else if (i + 1 < argc && a == "--client-dir") env.clientDir = argv[++i];
    else {
      std::cerr << "usage: tbcheck --share-root DIR --client-dir DIR\n";
      return 2;
    }
  }
  if (env.shareRoot.empty() || env.clientDir.empty()) {
    std::cerr << "usage: tbcheck --share-root DIR --client-dir DIR\n";
    return 2;
  }
  env.jetCacheDir = env.clientDir / "jetcache";
  try {
    return tbcheck::CheckShare(env, std::cout) == 0 ? 0 : 1;
  } catch (const std::exception& e) {
    std::cerr << "tbcheck: " << e.what() << "\n";
    return 1;
  }
}
