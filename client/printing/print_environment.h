// Where the form library keeps what stands for the Windows directory and the user's
// profile: $FMDRAW_WINDIR, by default $HOME/.fmdraw. The client reads and writes back the
// default printer entry ([windows] device= of win.ini) around each print job and asks the
// printer registry (printers.ini) whether any printer is installed.
#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace tb {
class Host;
}

namespace tb::print {

[[nodiscard]] std::filesystem::path WindowsDirectory();
[[nodiscard]] std::filesystem::path WinIniPath();
[[nodiscard]] std::filesystem::path PrintersIniPath();

// The "device" entry of the "windows" section (read into a 128-byte buffer).
[[nodiscard]] std::string ReadDefaultDevice();
// Writes the "device" entry back (section "Windows"; section names compare without case).
void WriteDefaultDevice(std::string_view device);

// True when the printer registry names at least one printer.
[[nodiscard]] bool HasInstalledPrinter();

// The folder the default printer writes its documents into, when its port is a folder
// (not a print queue); nullopt otherwise.
[[nodiscard]] std::optional<std::filesystem::path> DefaultPrinterFolder();

// The documents a job writes into the default printer's folder: taken before the job,
// Offer() hands every PDF that appeared since to the host, in name (creation) order.
class PrintedDocuments {
 public:
  PrintedDocuments();
  void Offer(Host& host) const;

 private:
  std::optional<std::filesystem::path> folder_;
  std::set<std::filesystem::path> before_;
};

}  // namespace tb::print
