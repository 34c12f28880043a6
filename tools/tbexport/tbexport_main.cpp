// tbexport: writes the workbook of one report period from the command line (see Usage()).
#include <iostream>

#include "tools/tbexport/export_run.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const auto options = tbexport::ParseOptions(args, &error);
  if (!options) {
    std::cerr << "tbexport: " << error << "\n" << tbexport::Usage();
    return 2;
  }
  if (options->help) {
    std::cout << tbexport::Usage();
    return 0;
  }
  try {
    return tbexport::Run(*options, std::cout, std::cerr);
  } catch (const std::exception& e) {
    std::cerr << "tbexport: " << e.what() << "\n";
    return 1;
  }
}
