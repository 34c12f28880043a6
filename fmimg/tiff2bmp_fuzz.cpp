// Fuzz entry for Tiff2Bmp: the input bytes become a TIFF file in the temporary folder and
// are converted; any result is fine, a crash or a leak is not.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "fmimg/fmimg32.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string base = "/tmp/tiff2bmp_fuzz_" + std::to_string(::getpid());
  const std::string src = base + ".tif", dst = base + ".bmp";
  if (std::FILE* f = std::fopen(src.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  Tiff2Bmp(src.c_str(), dst.c_str());
  std::remove(src.c_str());
  std::remove(dst.c_str());
  return 0;
}
