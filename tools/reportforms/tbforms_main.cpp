// tbforms: writes the report form files of every kind and paper.
//   tbforms OUT_DIR [JSON_DIR]
#include <cstdio>
#include <exception>

#include "tools/reportforms/report_form.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: tbforms OUT_DIR [JSON_DIR]\n");
    return 2;
  }
  try {
    reportforms::WriteReportForms(argv[1], argc == 3 ? argv[2] : "");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tbforms: %s\n", e.what());
    return 1;
  }
  return 0;
}
