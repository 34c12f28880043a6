#include "formdraw/session/raw_print.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "formdraw/device/document_output.h"
#include "formdraw/form/file_search.h"
#include "formdraw/session/printer_registry.h"

namespace fmdraw::session {

namespace {

constexpr std::size_t kBlock = 4096;

// The extension of the file's last component (".pdf"), or ".prn".
std::string ExtensionOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
      path.size() - dot > 8)
    return ".prn";
  return path.substr(dot);
}

// The document name of a raw file: its last component without the extension (the
// delivered file keeps the extension).
std::string DocumentNameOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string ext = ExtensionOf(path);
  if (ext != ".prn" || (name.size() > 4 && name.substr(name.size() - 4) == ".prn"))
    name = name.substr(0, name.size() - ext.size());
  return name;
}

// Copies in blocks until a read returns nothing; a failed write ends the copy early.
void CopyBlocks(int from, int to) {
  char buffer[kBlock];
  for (;;) {
    ssize_t n = ::read(from, buffer, sizeof buffer);
    if (n <= 0) return;
    if (::write(to, buffer, static_cast<std::size_t>(n)) != n) return;
  }
}

}  // namespace

int PrintRawFile(const char* fileName) {
  if (fileName == nullptr || *fileName == '\0') return -4;
  auto path = form::LocateFile(fileName);
  if (!path) return -4;
  int source = ::open(path->c_str(), O_RDONLY | O_CLOEXEC);
  if (source < 0) return -4;
  auto windir = WindowsDirectory();
  auto printer = ReadDefaultPrinter(windir);
  auto entry = printer ? ReadPrinter(windir, printer->name) : std::nullopt;
  auto output = entry ? device::MakeOutputForPort(entry->port, 1) : nullptr;
  if (!output) {
    ::close(source);
    return -5;
  }
  std::string temp = output->NewFile(ExtensionOf(*path));
  int target = temp.empty() ? -1 : ::open(temp.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (target < 0) {
    ::close(source);
    return -6;
  }
  CopyBlocks(source, target);
  ::close(source);
  bool closed = ::close(target) == 0;
  if (!closed || !output->Commit(DocumentNameOf(*path), true)) return -7;
  return 0;
}

}  // namespace fmdraw::session
