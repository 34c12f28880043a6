// Fuzz entry for the importer: an Access file imported in process. (The client never does
// this: it runs the importer as its own process, because the file reader underneath can
// fail on damaged files in ways no caller can catch.)
// An input that begins like an Access file (00 01 00 00) is the file. Any other input is
// a list of patches to a real database of the samples (TB_TESTDATA/jet): page, offset,
// length, bytes, repeated. The file stays made of whole pages with a valid start, so the
// mutations reach the catalog, table definitions, usage maps, rows and long values
// instead of failing the first checks.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "cmake/fuzz_input.h"
#include "tools/tbjetimport/jet_import.h"
#include "tools/tbjetimport/sqlite_target.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kPageSize = 4096;  // the base is a Jet 4 file
constexpr int kMaxPatches = 64;

// Jet 4 dates in several tables, 67 pages: small enough to write out at every run.
const std::vector<char>& BaseFile() {
  static const std::vector<char> base = [] {
    const char* root = std::getenv("TB_TESTDATA");
    std::ifstream in(fs::path(root ? root : "/work/shared/testdata") / "jet" / "DateTestDatabase.mdb",
                     std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() % kPageSize != 0) bytes.clear();
    return bytes;
  }();
  return base;
}

std::vector<char> Patched(const std::uint8_t* data, std::size_t size) {
  std::vector<char> file = BaseFile();
  if (file.empty()) return file;
  const std::size_t pages = file.size() / kPageSize;
  fuzzing::FuzzInput in(data, size);
  for (int i = 0; i < kMaxPatches && !in.Empty(); ++i) {
    const std::size_t page = in.Unsigned(2) % pages;
    const std::size_t offset = in.Unsigned(2) % kPageSize;
    const auto bytes = in.Bytes(in.Byte() % 33);
    const std::size_t room = kPageSize - offset;
    std::memcpy(file.data() + page * kPageSize + offset, bytes.data(), std::min(bytes.size(), room));
  }
  return file;
}

void Import(const char* bytes, std::size_t size) {
  const fs::path dir = fs::temp_directory_path();
  const fs::path source = dir / ("jet_fuzz_" + std::to_string(::getpid()) + ".mdb");
  const fs::path target = dir / ("jet_fuzz_" + std::to_string(::getpid()) + ".sqlite");
  std::ofstream(source, std::ios::binary).write(bytes, static_cast<std::streamsize>(size));
  std::error_code ec;
  fs::remove(target, ec);
  try {
    tb::jetimport::ImportJetFile(source, target);
  } catch (const tb::jetimport::ImportError&) {
  }
  fs::remove(target, ec);
  fs::remove(source, ec);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static constexpr std::uint8_t kMagic[] = {0x00, 0x01, 0x00, 0x00};
  if (size >= sizeof kMagic && std::memcmp(data, kMagic, sizeof kMagic) == 0) {
    Import(reinterpret_cast<const char*>(data), size);
  } else if (const auto file = Patched(data, size); !file.empty()) {
    Import(file.data(), file.size());
  }
  return 0;
}
