#include "formdraw/session/printer_registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>
#include <strings.h>

#include "formdraw/form/text_part.h"
#include "platform/profile.h"

namespace fmdraw::session {

namespace {

constexpr std::string_view kRegistryFile = "printers.ini";
constexpr std::size_t kValueBuffer = 512;

std::string Trim(std::string_view s) {
  std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  std::size_t e = s.find_last_not_of(" \t");
  return std::string(s.substr(b, e - b + 1));
}

// Defaults of a printer without stored settings.
constexpr PrinterValues kDefaultValues = {kPortrait, 9, 0, 0, 100, 1, 0, 0, 2, 1, 0, 0};

}  // namespace

std::filesystem::path WindowsDirectory() {
  if (const char* dir = std::getenv("FMDRAW_WINDIR"); dir != nullptr && *dir != '\0') return dir;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : ".") / ".fmdraw";
}

std::optional<DefaultPrinter> ReadDefaultPrinter(const std::filesystem::path& windir) {
  std::string device =
      platform::ReadProfileString(windir / "win.ini", "windows", "device", "", kValueBuffer);
  auto fields = form::SplitFields(device);
  DefaultPrinter printer;
  printer.name = Trim(fields[0]);
  if (printer.name.empty()) return std::nullopt;
  if (fields.size() > 1) printer.driver = Trim(fields[1]);
  if (fields.size() > 2) printer.port = Trim(fields[2]);
  return printer;
}

std::optional<PrinterEntry> ReadPrinter(const std::filesystem::path& windir, std::string_view name) {
  auto bytes = [&] {
    std::string text;
    auto file = windir / kRegistryFile;
    if (FILE* f = std::fopen(file.c_str(), "rb")) {
      char buffer[4096];
      std::size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0 && text.size() < (1u << 20))
        text.append(buffer, n);
      std::fclose(f);
    }
    return text;
  }();
  auto doc = platform::ProfileDocument::Parse(bytes);
  auto port = doc.Get(name, "Port");
  if (!port) return std::nullopt;
  PrinterEntry entry;
  entry.name = std::string(name);
  entry.port = Trim(*port);
  entry.driver = Trim(doc.Get(name, "Driver").value_or(""));
  entry.values = kDefaultValues;
  for (int i = 0; i < kSettingCount; ++i)
    if (auto v = doc.Get(name, kSettingKeys[i]); v && !v->empty())
      entry.values[i] = static_cast<int16_t>(form::ParseLeadingInt(*v));
  if (auto dpi = doc.Get(name, "Dpi"); dpi && !dpi->empty()) entry.dpi = form::ParseLeadingInt(*dpi);
  std::string format = Trim(doc.Get(name, "Format").value_or("pdf"));
  if (strcasecmp(format.c_str(), "png") == 0) entry.format = OutputFormat::kPng;
  if (strcasecmp(format.c_str(), "trace") == 0) entry.format = OutputFormat::kTrace;
  return entry;
}

bool WritePrinterValues(const std::filesystem::path& windir, std::string_view name,
                        const PrinterValues& values) {
  // Written as one document, so a failure leaves the file as it was.
  auto file = windir / kRegistryFile;
  std::string bytes;
  if (FILE* f = std::fopen(file.c_str(), "rb")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
  } else {
    return false;
  }
  auto doc = platform::ProfileDocument::Parse(bytes);
  if (!doc.Get(name, "Port")) return false;
  for (int i = 0; i < kSettingCount; ++i) {
    std::string value = std::to_string(values[i]);
    doc = platform::ProfileDocument::Parse(doc.Set(name, kSettingKeys[i], value));
  }
  // One atomic write of the whole document through the profile writer's key path would
  // rewrite the file twelve times; write the bytes once instead.
  std::string tmp = file.string() + ".fmdraw-XXXXXX";
  std::vector<char> pattern(tmp.begin(), tmp.end());
  pattern.push_back('\0');
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) return false;
  const std::string& out = doc.Bytes();
  bool ok = ::write(fd, out.data(), out.size()) == static_cast<ssize_t>(out.size());
  ::fchmod(fd, 0644);
  ok = ::close(fd) == 0 && ok;
  if (!ok || ::rename(pattern.data(), file.c_str()) != 0) {
    ::unlink(pattern.data());
    return false;
  }
  return true;
}

}  // namespace fmdraw::session
