#include "client/web/page_factory.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace tb::web {

PageFactory ReportPages() {
  return [](std::string_view, ClientState&, Host&) -> std::unique_ptr<Document> {
    return nullptr;
  };
}

bool PrinterRegistryHasPrinter() {
  const char* dir = std::getenv("FMDRAW_WINDIR");
  if (dir == nullptr || *dir == '\0') return false;
  std::ifstream in(std::filesystem::path(dir) / "printers.ini");
  std::string line;
  while (std::getline(in, line)) {
    auto first = line.find_first_not_of(" \t");
    if (first != std::string::npos && line[first] == '[') return true;
  }
  return false;
}

}  // namespace tb::web
