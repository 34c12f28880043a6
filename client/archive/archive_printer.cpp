#include "client/archive/archive_printer.h"

#include <cstdlib>
#include <string>

#include "client/archive/durable_files.h"

namespace tb::archive {

namespace {
constexpr char kPrinterName[] = "Archive PDF";
}

ArchivePrinter::ArchivePrinter(std::filesystem::path windowsDirectory) : windir_(std::move(windowsDirectory)) {}

void ArchivePrinter::PrintInto(const std::filesystem::path& folder) {
  if (folder == current_) return;
  MakeFolders(windir_);
  const std::string port = folder.string();
  // The library opens the port as the bytes written here: the path goes in unconverted.
  WriteFileAtomically(windir_ / "printers.ini", std::string("[") + kPrinterName +
                                                    "]\r\nDriver=fmdraw\r\nPort=" + port +
                                                    "\r\nFormat=pdf\r\nDpi=" + std::to_string(kDpi) + "\r\n");
  WriteFileAtomically(windir_ / "win.ini",
                      std::string("[windows]\r\ndevice=") + kPrinterName + ",fmdraw," + port + "\r\n");
  ::setenv("FMDRAW_WINDIR", windir_.c_str(), 1);
  current_ = folder;
}

}  // namespace tb::archive
