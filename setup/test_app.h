// The one QApplication of the settings program's test binary (Qt allows only one per
// process); every widget test calls TestApp() first. Widgets need no display: the tests
// run with QT_QPA_PLATFORM=offscreen.
#pragma once

#include <QApplication>

namespace setup::testing {

inline QApplication& TestApp() {
  static int argc = 1;
  static char name[] = "tb_setup_tests";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

}  // namespace setup::testing
