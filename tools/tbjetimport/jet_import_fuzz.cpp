// Fuzz entry for the importer: the input is taken as an Access file and imported in
// process. (The client never does this: it runs the importer as its own process, because
// the file reader underneath can fail on damaged files in ways no caller can catch.)
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/tbjetimport/jet_import.h"
#include "tools/tbjetimport/sqlite_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path();
  const fs::path source = dir / ("jet_fuzz_" + std::to_string(::getpid()) + ".mdb");
  const fs::path target = dir / ("jet_fuzz_" + std::to_string(::getpid()) + ".sqlite");
  std::ofstream(source, std::ios::binary).write(reinterpret_cast<const char*>(data),
                                                static_cast<std::streamsize>(size));
  std::error_code ec;
  fs::remove(target, ec);
  try {
    tb::jetimport::ImportJetFile(source, target);
  } catch (const tb::jetimport::ImportError&) {
  }
  fs::remove(target, ec);
  fs::remove(source, ec);
  return 0;
}
