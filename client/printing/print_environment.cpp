#include "client/printing/print_environment.h"

#include <cstdlib>
#include <fstream>

#include "client/core/host.h"
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

namespace {

std::set<std::filesystem::path> PdfFiles(const std::filesystem::path& folder) {
  std::set<std::filesystem::path> files;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const auto name = it->path().filename().string();
    if (name.size() > 4 && name.ends_with(".pdf") && name.front() != '.') files.insert(it->path());
  }
  return files;
}

}  // namespace

std::optional<std::filesystem::path> DefaultPrinterFolder() {
  const std::string device = ReadDefaultDevice();
  const std::string name = device.substr(0, device.find(','));
  if (name.empty()) return std::nullopt;
  const std::string port = platform::ReadProfileStringUtf8(PrintersIniPath(), name, "Port", "", 1024);
  if (port.empty() || port.rfind("cups:", 0) == 0) return std::nullopt;
  std::error_code ec;
  if (!std::filesystem::is_directory(port, ec)) return std::nullopt;
  return std::filesystem::path(port);
}

PrintedDocuments::PrintedDocuments() : folder_(DefaultPrinterFolder()) {
  if (folder_) before_ = PdfFiles(*folder_);
}

void PrintedDocuments::Offer(Host& host) const {
  if (!folder_) return;
  for (const auto& file : PdfFiles(*folder_))
    if (!before_.contains(file)) host.OfferPrintedDocument(file);
}

}  // namespace tb::print
