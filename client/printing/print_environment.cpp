#include "client/printing/print_environment.h"

#include <cstdlib>
#include <fstream>

#include "platform/profile.h"

namespace tb::print {

std::filesystem::path WindowsDirectory() {
  if (const char* dir = std::getenv("FMDRAW_WINDIR"); dir && *dir) return dir;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home && *home ? home : "/tmp") / ".fmdraw";
}

std::filesystem::path WinIniPath() { return WindowsDirectory() / "win.ini"; }
std::filesystem::path PrintersIniPath() { return WindowsDirectory() / "printers.ini"; }

std::string ReadDefaultDevice() {
  return platform::ReadProfileStringUtf8(WinIniPath(), "windows", "device", "", 128);
}

void WriteDefaultDevice(std::string_view device) {
  (void)platform::WriteProfileStringUtf8(WinIniPath(), "Windows", "device", device);
}

bool HasInstalledPrinter() {
  std::ifstream in(PrintersIniPath());
  std::string line;
  while (std::getline(in, line)) {
    const auto first = line.find_first_not_of(" \t");
    if (first != std::string::npos && line[first] == '[' &&
        line.find(']', first) > first + 1 && line.find(']', first) != std::string::npos)
      return true;
  }
  return false;
}

}  // namespace tb::print
