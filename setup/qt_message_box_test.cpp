#include "setup/qt_message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include "setup/test_app.h"

namespace setup {
namespace {

struct Seen {
  QString title, text, yes, no;
  int buttons = 0;
};

// Answers the modal box that is about to open by pressing `button`, noting what it showed.
void PressWhenShown(QMessageBox::StandardButton button, Seen& seen) {
  QTimer::singleShot(0, [button, &seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen = {box->windowTitle(), box->text(), box->button(QMessageBox::Yes)->text(),
            box->button(QMessageBox::No)->text(), static_cast<int>(box->standardButtons())};
    box->button(button)->click();
  });
}

TEST(QtMessageBox, AsksWithTitleTextAndYesNo) {
  testing::TestApp();
  for (auto [press, expected] : {std::pair{QMessageBox::Yes, Answer::kYes},
                                 std::pair{QMessageBox::No, Answer::kNo}}) {
    Seen seen;
    PressWhenShown(press, seen);
    QtMessageBox box;
    EXPECT_EQ(box.AskYesNo("設定内容を登録します。よろしいですか？", "確認"), expected);
    EXPECT_EQ(seen.title, "確認");
    EXPECT_EQ(seen.text, "設定内容を登録します。よろしいですか？");
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.yes, "はい(&Y)") << "Japanese button texts, not the toolkit's own";
    EXPECT_EQ(seen.no, "いいえ(&N)");
  }
}

// The keyboard answers as well: Enter gives the default Yes, Escape gives No.
TEST(QtMessageBox, EnterAnswersYesAndEscapeNo) {
  testing::TestApp();
  for (auto [key, expected] : {std::pair{Qt::Key_Return, Answer::kYes},
                               std::pair{Qt::Key_Escape, Answer::kNo}}) {
    QTimer::singleShot(0, [key = key] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QApplication::sendEvent(box, &press);
    });
    QtMessageBox box;
    EXPECT_EQ(box.AskYesNo("設定内容を登録します。よろしいですか？", "確認"), expected) << key;
  }
}

}  // namespace
}  // namespace setup
