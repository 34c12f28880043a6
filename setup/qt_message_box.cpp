#include "setup/qt_message_box.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QString>

namespace setup {
namespace {

QString FromUtf8(std::string_view s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

Answer QtMessageBox::AskYesNo(std::string_view text, std::string_view title) {
  // A question box with Yes and No; Escape and the close box give No. The buttons are
  // labelled in Japanese like every other text of the window, whatever translations the
  // toolkit finds installed.
  QMessageBox box(QMessageBox::Question, FromUtf8(title), FromUtf8(text),
                  QMessageBox::Yes | QMessageBox::No, parent_);
  box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
  box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes ? Answer::kYes : Answer::kNo;
}

}  // namespace setup
