#include "setup/qt_message_box.h"

#include <QMessageBox>
#include <QString>

namespace setup {
namespace {

QString FromUtf8(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

Answer QtMessageBox::AskYesNo(std::string_view text, std::string_view title) {
  // A question box with Yes and No; Escape and the close box give No.
  const auto pressed = QMessageBox::question(parent_, FromUtf8(title), FromUtf8(text),
                                             QMessageBox::Yes | QMessageBox::No,
                                             QMessageBox::Yes);
  return pressed == QMessageBox::Yes ? Answer::kYes : Answer::kNo;
}

}  // namespace setup
