// The platform's printers, in files under the Windows directory (FMDRAW_WINDIR, by
// default $HOME/.fmdraw):
//  - win.ini, [windows] device=NAME,DRIVER,PORT: the default printer;
//  - printers.ini, one section per installed printer: Driver, Port, the stored printer
//    settings (Orientation ... TTOption), Dpi (default 600) and Format (pdf, png, trace).
// Read and written with the profile-file semantics of platform/profile.h (CP932 bytes).
// Reads the environment on every call; no state.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "formdraw/session/printer_settings.h"

namespace fmdraw::session {

std::filesystem::path WindowsDirectory();

struct DefaultPrinter {
  std::string name;
  std::string driver;
  std::string port;
};

// The "device" entry of the [windows] section; nullopt when missing or without a name.
std::optional<DefaultPrinter> ReadDefaultPrinter(const std::filesystem::path& windir);

enum class OutputFormat { kPdf, kPng, kTrace };

struct PrinterEntry {
  std::string name;
  std::string driver;
  std::string port;
  PrinterValues values{};
  int32_t dpi = 600;
  OutputFormat format = OutputFormat::kPdf;
};

// The printer's section of printers.ini; nullopt when the printer is not installed.
// Missing settings read as portrait A4, one copy, colour.
std::optional<PrinterEntry> ReadPrinter(const std::filesystem::path& windir,
                                        std::string_view name);

// Writes the stored settings of an installed printer back; false on failure.
bool WritePrinterValues(const std::filesystem::path& windir, std::string_view name,
                        const PrinterValues& values);

}  // namespace fmdraw::session
