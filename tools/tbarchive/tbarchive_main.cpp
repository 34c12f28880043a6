// tbarchive: one archive pass over the share given on the command line (see archive_args.h
// and client/archive/archive_run.h). Exit status 0, 1, 2 or 3 as ArchiveUsage() says.
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "tb_version.h"
#include "tools/tbarchive/archive_args.h"

namespace {

std::filesystem::path ExeDir(const char* argv0) {
  std::error_code ec;
  auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) self = std::filesystem::absolute(argv0, ec);
  return self.parent_path();
}

std::filesystem::path DefaultCacheDir() {
  if (const char* x = std::getenv("XDG_CACHE_HOME"); x != nullptr && *x == '/')
    return std::filesystem::path(x) / "tbarchive";
  if (const char* h = std::getenv("HOME"); h != nullptr && *h == '/')
    return std::filesystem::path(h) / ".cache" / "tbarchive";
  return std::filesystem::temp_directory_path() / "tbarchive-cache";
}

// The library of the build tree beside the program, else the installed one.
std::filesystem::path DefaultFormLibrary(const std::filesystem::path& exeDir) {
  const auto buildTree = exeDir / ".." / "lib" / "libfmdraw32.so";
  std::error_code ec;
  if (std::filesystem::exists(buildTree, ec)) return buildTree;
  return exeDir / ".." / tb::kInstallLibDir / "libfmdraw32.so";
}

tb::LocalTime LocalNow() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  return tb::LocalTime{std::chrono::seconds{timegm(&local)}};
}

}  // namespace

int main(int argc, char** argv) {
  // A file-size limit makes writes fail with EFBIG instead of killing the process, so a
  // run reports it like a full disk and leaves nothing half-written.
  signal(SIGXFSZ, SIG_IGN);
  signal(SIGPIPE, SIG_IGN);
  const tbarchive::ArgDefaults defaults{LocalNow(), DefaultFormLibrary(ExeDir(argv[0])), DefaultCacheDir()};
  const auto parsed = tbarchive::ParseArchiveArgs({argv + 1, argv + argc}, defaults);
  if (std::holds_alternative<tbarchive::HelpWanted>(parsed)) {
    std::cout << tbarchive::ArchiveUsage();
    return 0;
  }
  if (const auto* e = std::get_if<tbarchive::ArgError>(&parsed)) {
    std::cerr << "tbarchive: " << e->message << "\n" << tbarchive::ArchiveUsage();
    return tb::archive::kExitBadArguments;
  }
  const auto& options = std::get<tb::archive::RunOptions>(parsed);
  std::error_code ec;
  std::filesystem::create_directories(options.env.jetCacheDir, ec);  // a failure shows on first use
  return tb::archive::RunArchive(options, std::cout, std::cerr);
}
