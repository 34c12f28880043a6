// The print environment: whether the form library's registry names any printer.
#include "client/printing/print_environment.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tb::print {
namespace {

namespace fs = std::filesystem;

// A printer is installed when printers.ini has a section with a name: "[Office PDF]",
// also indented; keys, comments, an empty "[]" or an unclosed "[Office" name none.
TEST(PrintEnvironment, APrinterIsInstalledWhenTheRegistryHasANamedSection) {
  const fs::path windir = fs::temp_directory_path() / ("tb_printenv_" + std::to_string(::getpid()));
  fs::create_directories(windir);
  setenv("FMDRAW_WINDIR", windir.c_str(), 1);
  const std::pair<const char*, bool> cases[] = {
      {"[Office PDF]\nPort=/out\n", true},
      {"; printers\n  \t[Queue]\n", true},
      {"Port=/out\n; [Commented]\n", false},
      {"[]\nPort=/out\n", false},
      {"[Office\nPort=/out\n", false},
      {"x[Office]\n", false},
      {"", false},
  };
  for (const auto& [text, installed] : cases) {
    std::ofstream(windir / "printers.ini", std::ios::trunc) << text;
    EXPECT_EQ(HasInstalledPrinter(), installed) << text;
  }
  fs::remove(windir / "printers.ini");
  EXPECT_FALSE(HasInstalledPrinter()) << "no registry at all";
  unsetenv("FMDRAW_WINDIR");
  fs::remove_all(windir);
}

}  // namespace
}  // namespace tb::print
