// Fuzzes the profile parser and writer: any bytes must parse without crashing, and a
// write followed by a read must give back what was written while other keys keep their
// values.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  platform::ProfileDocument doc = platform::ProfileDocument::Parse(bytes);
  (void)doc.Get("Title", "Name");
  (void)doc.Get("\x93\xfa\x95\xf1", "\x83\x5d");  // double-byte names with a "]" trail byte

  auto nameBefore = doc.Get("Title", "Name");
  std::string written = doc.Set("Print", "Size", "A3");
  auto readBack = platform::ProfileDocument::Parse(written).Get("print", "SIZE");
  if (!readBack || *readBack != "A3") std::abort();
  if (platform::ProfileDocument::Parse(written).Get("Title", "Name") != nameBefore) std::abort();

  std::string removed = platform::ProfileDocument::Parse(written).Set("Print", "Size", std::nullopt);
  if (platform::ProfileDocument::Parse(removed).Get("Print", "Size")) std::abort();
  return 0;
}
