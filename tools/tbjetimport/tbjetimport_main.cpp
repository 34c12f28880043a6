// tbjetimport [--max-memory BYTES] [--max-cpu SECONDS] SOURCE TARGET
// Imports every user table of the Access file SOURCE into the new SQLite file TARGET.
// Exit 0 on success; otherwise a code of sqlite_target.h and one line on stderr, and
// TARGET removed. The limits are applied to this process before the file is opened, so a
// damaged file cannot make it take the machine's memory or time.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "tools/tbjetimport/jet_import.h"
#include "tools/tbjetimport/sqlite_target.h"

namespace {

using tb::jetimport::ImportError;

struct Arguments {
  std::filesystem::path source, target;
  rlim_t maxMemory = 0;  // 0: no limit
  rlim_t maxCpu = 0;
};

rlim_t ParseLimit(const char* text) {
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (!*text || *end) throw ImportError(tb::jetimport::kExitUsage, "bad limit value");
  return static_cast<rlim_t>(value);
}

Arguments Parse(int argc, char** argv) {
  Arguments args;
  int i = 1;
  for (; i + 1 < argc && std::string_view(argv[i]).starts_with("--"); i += 2) {
    const std::string_view option = argv[i];
    if (option == "--max-memory") args.maxMemory = ParseLimit(argv[i + 1]);
    else if (option == "--max-cpu") args.maxCpu = ParseLimit(argv[i + 1]);
    else throw ImportError(tb::jetimport::kExitUsage, "unknown option");
  }
  if (argc - i != 2) {
    throw ImportError(tb::jetimport::kExitUsage,
                      "usage: tbjetimport [--max-memory BYTES] [--max-cpu SECONDS] SOURCE TARGET");
  }
  args.source = argv[i];
  args.target = argv[i + 1];
  return args;
}

void SetLimit(int resource, rlim_t value) {
  if (value == 0) return;
  const rlimit limit{value, value};
  setrlimit(resource, &limit);
}

void ApplyLimits(const Arguments& args) {
#if !defined(__SANITIZE_ADDRESS__)
  // The address sanitizer reserves a large shadow region up front; a cap on the address
  // space would only break it.
  SetLimit(RLIMIT_AS, args.maxMemory);
#endif
  SetLimit(RLIMIT_CPU, args.maxCpu);
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  try {
    args = Parse(argc, argv);
    ApplyLimits(args);
    if (std::filesystem::exists(args.target)) {
      throw ImportError(tb::jetimport::kExitUsage, "target exists: " + args.target.string());
    }
    tb::jetimport::ImportJetFile(args.source, args.target);
    return tb::jetimport::kExitOk;
  } catch (const ImportError& e) {
    std::fprintf(stderr, "tbjetimport: %s\n", e.what());
    std::error_code ignored;
    if (e.ExitCode() != tb::jetimport::kExitUsage) std::filesystem::remove(args.target, ignored);
    return e.ExitCode();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tbjetimport: %s\n", e.what());
    std::error_code ignored;
    std::filesystem::remove(args.target, ignored);
    return tb::jetimport::kExitBadContent;
  }
}
