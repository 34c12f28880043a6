#include "setup/form1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

#include <cstdlib>

#include <gtest/gtest.h>

#include "setup/test_app.h"

#include "platform/profile.h"
#include "setup/scripted_message_box.h"
#include "setup/test_files.h"

namespace setup {
namespace {

using testing::ModeOf;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override { testing::TestApp(); }
  std::filesystem::path File() const { return dir_.path() / "TBWeb.ini"; }
  // Opens the window on the test folder, as the program does.
  std::unique_ptr<Form1> Open() {
    auto form = std::make_unique<Form1>(SettingsStore(dir_.path()), box_);
    form->Form_Load();
    return form;
  }

  TempDir dir_;
  ScriptedMessageBox box_;
};

const char kFullFile[] =
    "; client settings\r\n"
    "[Vurodor]\r\ndsn=VurodorDSN\r\n"
    "[DB]\r\nFLG=1\r\n"
    "[SQL]\r\nSOURCE=PLANT01\r\nUID=sa\r\nPWD=pass word\r\nDATABASE=RIVove\r\n"
    "[KIND]\r\nFLG=1\r\n"
    "[Other]\r\nKeep=yes\r\n";

TEST_F(Form1Test, OpeningShowsTheFileValues) {
  WriteBytes(File(), kFullFile);
  auto f = Open();
  EXPECT_EQ(f->Text1->text(), "VurodorDSN");
  EXPECT_TRUE(f->Option3->isChecked());
  EXPECT_FALSE(f->Option4->isChecked());
  EXPECT_EQ(f->txtSOURCE->text(), "PLANT01");
  EXPECT_EQ(f->txtUID->text(), "sa");
  EXPECT_EQ(f->txtPWD->text(), "pass word");
  EXPECT_EQ(f->txtPWD->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(f->txtDATABASE->text(), "RIVove");
  EXPECT_TRUE(f->Option2->isChecked());
  EXPECT_FALSE(f->Option1->isChecked());
}

// [DB] FLG other than exactly 1 selects mdb版; a file without [KIND] selects bin版
// and saving then writes [KIND] FLG=0.
TEST_F(Form1Test, OpeningSelectsMdbAndBinUnlessFlagsAreOne) {
  for (const char* flg : {"0", "", "01", "yes"}) {
    SCOPED_TRACE(flg);
    WriteBytes(File(), std::string("[DB]\r\nFLG=") + flg + "\r\n");
    auto f = Open();
    EXPECT_TRUE(f->Option4->isChecked());
    EXPECT_FALSE(f->Option3->isChecked());
    EXPECT_TRUE(f->Option1->isChecked());
    EXPECT_FALSE(f->Option2->isChecked());
  }
  auto f = Open();
  box_.Script(Answer::kYes);
  f->cmdTouroku_Click();
  EXPECT_EQ(platform::ReadProfileStringUtf8(File(), "KIND", "FLG", "-"), "0");
  EXPECT_EQ(platform::ReadProfileStringUtf8(File(), "DB", "FLG", "-"), "0");
}

TEST_F(Form1Test, AnsweringNoLeavesTheFileUnchanged) {
  WriteBytes(File(), kFullFile);
  auto f = Open();
  f->txtPWD->setText("changed");
  f->Option4->setChecked(true);
  box_.Script(Answer::kNo);
  f->cmdTouroku->click();
  ASSERT_EQ(box_.Asked(), std::vector<std::string>{"確認: 設定内容を登録します。よろしいですか？"});
  EXPECT_EQ(ReadBytes(File()), kFullFile);
}

TEST_F(Form1Test, AnsweringYesCreatesTheFileWithAllKeysOwnerOnly) {
  auto f = Open();
  f->Text1->setText("DSN1");
  f->Option3->setChecked(true);
  f->txtSOURCE->setText("SRV");
  f->txtUID->setText("user");
  f->txtPWD->setText("p@ss;word");
  f->txtDATABASE->setText("データ");
  f->Option2->setChecked(true);
  box_.Script(Answer::kYes);
  f->cmdTouroku->click();
  EXPECT_EQ(box_.Asked().size(), 1u) << "no message after saving";

  const auto created = dir_.path() / "TBWEB.ini";
  ASSERT_TRUE(std::filesystem::exists(created));
  EXPECT_EQ(ModeOf(created), 0600u);
  const auto read = [&](const char* s, const char* k) {
    return platform::ReadProfileStringUtf8(created, s, k, "<missing>");
  };
  EXPECT_EQ(read("Vurodor", "dsn"), "DSN1");
  EXPECT_EQ(read("DB", "FLG"), "1");
  EXPECT_EQ(read("SQL", "SOURCE"), "SRV");
  EXPECT_EQ(read("SQL", "UID"), "user");
  EXPECT_EQ(read("SQL", "PWD"), "p@ss;word");
  EXPECT_EQ(read("SQL", "DATABASE"), "データ");
  EXPECT_EQ(read("KIND", "FLG"), "1");
}

// A save that fails (the folder is gone) shows the user nothing, as a successful one, but
// is noted for whoever started the program from a terminal.
TEST_F(Form1Test, AFailedSaveIsNotedOnTheTerminal) {
  static std::vector<std::string> notes;
  notes.clear();
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType, const QMessageLogContext&, const QString& text) { notes.push_back(text.toStdString()); });
  auto f = Open();
  std::filesystem::remove_all(dir_.path());
  box_.Script(Answer::kYes);
  f->cmdTouroku->click();
  qInstallMessageHandler(previous);
  EXPECT_EQ(box_.Asked().size(), 1u);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("could not write"), std::string::npos) << notes[0];
  EXPECT_NE(notes[0].find(File().parent_path().string()), std::string::npos) << notes[0];
}

TEST_F(Form1Test, AnsweringYesKeepsOtherSectionsCommentsAndMode) {
  WriteBytes(File(), kFullFile);
  ASSERT_EQ(::chmod(File().c_str(), 0644), 0);
  auto f = Open();
  f->txtUID->setText("operator");
  f->Option1->setChecked(true);
  box_.Script(Answer::kYes);
  f->cmdTouroku_Click();
  const std::string bytes = ReadBytes(File());
  EXPECT_EQ(bytes.rfind("; client settings\r\n", 0), 0u);
  EXPECT_NE(bytes.find("[Other]\r\nKeep=yes"), std::string::npos);
  EXPECT_EQ(ModeOf(File()), 0644u);
  EXPECT_EQ(platform::ReadProfileStringUtf8(File(), "SQL", "UID", ""), "operator");
  EXPECT_EQ(platform::ReadProfileStringUtf8(File(), "KIND", "FLG", ""), "0");
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "TBWEB.ini") &&
               !std::filesystem::equivalent(dir_.path() / "TBWEB.ini", File()));
}

TEST_F(Form1Test, CloseButtonEndsWithoutSavingOrAsking) {
  WriteBytes(File(), kFullFile);
  auto f = Open();
  f->show();
  f->txtPWD->setText("changed");
  f->cmdEnd->click();
  EXPECT_FALSE(f->isVisible());
  EXPECT_TRUE(box_.Asked().empty());
  EXPECT_EQ(ReadBytes(File()), kFullFile);
}

// The caption (or title) of a control; a text box has none.
QString CaptionOf(QWidget* w) {
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  return "<unknown kind>";
}

// Every control of the window: caption, tool tip, and its rectangle worked out by hand
// from the twip table at 15 twips per pixel (Option1 and Option2 inside Frame1). Text
// boxes show an empty text when there is no settings file.
TEST_F(Form1Test, ControlsStandAtTheirDesignedPlaces) {
  auto f = Open();
  EXPECT_EQ(f->objectName(), "Form1");
  EXPECT_EQ(f->windowTitle(), "RAVivireDir7設定画面");
  EXPECT_EQ(f->size(), QSize(507, 295));
  struct Row {
    const char* name;
    const char* caption;
    const char* toolTip;
    QRect rect;
  };
  const Row rows[] = {
      {"Option4", "mdb版", "", QRect(132, 20, 117, 25)},
      {"Option3", "SQL版", "", QRect(288, 20, 153, 25)},
      {"Label1_5", "SQLServer（RIVove.mdb）　Tabulon7がSQL版の場合のみ", "", QRect(12, 64, 477, 21)},
      {"Label1_0", "SOURCE", "", QRect(128, 92, 97, 21)},
      {"txtSOURCE", "", "SQLｻｰﾊﾞｰが存在するPC名", QRect(232, 88, 177, 25)},
      {"Label1_1", "USER ID", "", QRect(128, 128, 97, 21)},
      {"txtUID", "", "ユーザID", QRect(232, 124, 177, 25)},
      {"Label1_2", "PASSWORD", "", QRect(128, 164, 97, 21)},
      {"txtPWD", "", "パスワード", QRect(232, 160, 177, 25)},
      {"Label1_3", "DATABASE", "", QRect(128, 200, 97, 21)},
      {"txtDATABASE", "", "データベース名", QRect(232, 196, 177, 25)},
      {"cmdTouroku", "登録", "上記内容で登録します。", QRect(276, 244, 97, 33)},
      {"cmdEnd", "閉じる", "画面を閉じます。", QRect(392, 244, 97, 33)},
      {"Text1", "", "SQLｻｰﾊﾞｰが存在するPC名", QRect(188, 292, 177, 25)},
      {"Label1_4", "ODBCName（Vurodor.mdb）", "", QRect(-32, 296, 217, 21)},
      {"Frame1", "拡張子", "", QRect(-4, 312, 373, 53)},
      {"Option1", "bin版", "", QRect(64, 16, 117, 25)},
      {"Option2", "vbd版", "", QRect(220, 16, 97, 25)},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    auto* w = f->findChild<QWidget*>(r.name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(CaptionOf(w).toStdString(), r.caption);
    EXPECT_EQ(w->toolTip().toStdString(), r.toolTip);
    EXPECT_EQ(w->geometry(), r.rect);
  }
  EXPECT_EQ(f->Option1->parentWidget(), f->Frame1);
  EXPECT_EQ(f->Option2->parentWidget(), f->Frame1);
  // The lower controls start at or below the bottom edge, except Text1, which shows 3
  // pixels of its top.
  EXPECT_GE(f->Label1[4]->y(), f->height());
  EXPECT_GE(f->Frame1->y(), f->height());
  EXPECT_LT(f->Text1->y(), f->height());
  EXPECT_LT(f->Label1[4]->x(), 0);
}

// The two option groups are independent: choosing in one leaves the other.
TEST_F(Form1Test, OptionGroupsAreSeparate) {
  auto f = Open();
  f->Option3->click();
  f->Option2->click();
  f->Option4->click();
  EXPECT_FALSE(f->Option3->isChecked());
  EXPECT_TRUE(f->Option2->isChecked());
  f->Option1->click();
  EXPECT_TRUE(f->Option4->isChecked());
  EXPECT_FALSE(f->Option2->isChecked());
}

// Renders the window; with TB_SETUP_SCREENSHOT set the image is kept for a person to
// look at. Checks that the captions drew something (not an empty window).
TEST_F(Form1Test, WindowRendersOffscreen) {
  WriteBytes(File(), kFullFile);
  auto f = Open();
  f->show();
  const QImage img = f->grab().toImage();
  ASSERT_EQ(img.size(), QSize(507, 295));
  if (const char* out = std::getenv("TB_SETUP_SCREENSHOT")) {
    img.save(out, "PNG");
    // A second image of a taller window shows the controls below the client area.
    f->resize(540, 380);
    f->grab().save(QString::fromUtf8(out) + ".below.png", "PNG");
    f->resize(507, 295);
  }
  // The label row "SQLServer（RIVove.mdb）..." must contain dark text pixels.
  int dark = 0;
  for (int y = 64; y < 85; ++y)
    for (int x = 12; x < 489; ++x) dark += qGray(img.pixel(x, y)) < 100;
  EXPECT_GT(dark, 100);
}

}  // namespace
}  // namespace setup
