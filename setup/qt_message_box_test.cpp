#include "setup/qt_message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "setup/test_app.h"

namespace setup {
namespace {

struct Seen {
  QString title, text, yes, no;
  int buttons = 0;
  bool enterIsYes = false, escapeIsNo = false;
};

// Answers the modal box that is about to open by pressing `button`, noting what it showed.
void PressWhenShown(QMessageBox::StandardButton button, Seen& seen) {
  QTimer::singleShot(0, [button, &seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen = {box->windowTitle(), box->text(), box->button(QMessageBox::Yes)->text(),
            box->button(QMessageBox::No)->text(), static_cast<int>(box->standardButtons()),
            box->defaultButton() == box->button(QMessageBox::Yes),
            box->escapeButton() == box->button(QMessageBox::No)};
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
    EXPECT_TRUE(seen.enterIsYes) << "Enter answers Yes";
    EXPECT_TRUE(seen.escapeIsNo) << "Escape and the close box answer No";
  }
}

}  // namespace
}  // namespace setup
