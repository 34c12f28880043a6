// Where the form library keeps what stands for the Windows directory and the user's
// profile: $FMDRAW_WINDIR, by default $HOME/.fmdraw. The client reads and writes back the
// default printer entry ([windows] device= of win.ini) around each print job and asks the
// printer registry (printers.ini) whether any printer is installed.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

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

}  // namespace tb::print
