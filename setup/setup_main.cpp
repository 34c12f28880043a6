// TBWebSetup: edits the connection settings file TBWeb.ini of the report client
// installed in the program's own folder (or, with --dir, in another client folder).
#include <cstdio>
#include <filesystem>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QString>
#include <QTranslator>

#include "setup/form1.h"
#include "setup/qt_message_box.h"
#include "setup/settings_model.h"

namespace {

struct Options {
  QString dir;         // folder whose settings file is edited
  QString screenshot;  // when set: save the opened window as PNG and end
};

Options ParseOptions(const QApplication& app) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Edits TBWeb.ini, the connection settings of the report client installed in this "
      "program's folder."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption dirOption(
      QStringLiteral("dir"),
      QStringLiteral("Edit the TBWeb.ini of the client folder DIR instead of the program's "
                     "own folder."),
      QStringLiteral("DIR"));
  const QCommandLineOption shotOption(
      QStringLiteral("screenshot"),
      QStringLiteral("Open the window, save it as a PNG image to FILE and end without "
                     "saving settings."),
      QStringLiteral("FILE"));
  parser.addOption(dirOption);
  parser.addOption(shotOption);
  parser.process(app);  // prints help, version or the error and ends on those
  Options o;
  o.dir = parser.isSet(dirOption) ? parser.value(dirOption) : app.applicationDirPath();
  o.screenshot = parser.value(shotOption);
  return o;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("TBWebSetup"));
  QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION_TEXT));
  const Options options = ParseOptions(app);  // --help stays in one language
  // Qt's own texts (the edit fields' context menus) in Japanese, like the window; when
  // the translation files are missing they stay in English.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qtTexts);
  }
  if (!QDir(options.dir).exists()) {
    std::fprintf(stderr, "TBWebSetup: folder %s does not exist\n",
                 qPrintable(options.dir));
    return 2;
  }

  setup::QtMessageBox box;
  const std::filesystem::path dir(QFile::encodeName(options.dir).toStdString());
  setup::Form1 form(setup::SettingsStore(dir), box);
  box.SetParent(&form);
  form.Form_Load();
  form.show();
  if (!options.screenshot.isEmpty()) {
    if (!form.grab().save(options.screenshot, "PNG")) {
      std::fprintf(stderr, "TBWebSetup: cannot write %s\n", qPrintable(options.screenshot));
      return 1;
    }
    return 0;
  }
  return QApplication::exec();
}
