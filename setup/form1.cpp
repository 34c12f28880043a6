#include "setup/form1.h"

#include <string>
#include <utility>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRect>
#include <QString>
#include <QtGlobal>

#include "setup/message_box.h"

namespace setup {
namespace {

constexpr const char* kCaption = "RAVivireDir7設定画面";
constexpr std::string_view kConfirmText = "設定内容を登録します。よろしいですか？";
constexpr std::string_view kConfirmTitle = "確認";
constexpr const char* kToolTipServerPc = "SQLｻｰﾊﾞｰが存在するPC名";

QRect ToPixels(TwipRect r) {
  return QRect(TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width),
               TwipsToPixels(r.height));
}

// Names, places and texts shared by every control kind.
template <typename W>
W* Place(W* w, const char* name, TwipRect r, const char* toolTip = nullptr) {
  w->setObjectName(QString::fromUtf8(name));
  w->setGeometry(ToPixels(r));
  if (toolTip) w->setToolTip(QString::fromUtf8(toolTip));
  return w;
}

QRadioButton* AddOption(QWidget* parent, const char* name, const char* caption, TwipRect r) {
  return Place(new QRadioButton(QString::fromUtf8(caption), parent), name, r);
}

QLabel* AddLabel(QWidget* parent, const char* name, const char* caption, TwipRect r) {
  return Place(new QLabel(QString::fromUtf8(caption), parent), name, r);
}

QLineEdit* AddTextBox(QWidget* parent, const char* name, const char* toolTip, TwipRect r) {
  return Place(new QLineEdit(parent), name, r, toolTip);
}

QPushButton* AddButton(QWidget* parent, const char* name, const char* caption,
                       const char* toolTip, TwipRect r) {
  return Place(new QPushButton(QString::fromUtf8(caption), parent), name, r, toolTip);
}

QString ToQ(const std::string& s) { return QString::fromStdString(s); }
std::string FromQ(const QString& s) { return s.toStdString(); }

}  // namespace

Form1::Form1(SettingsStore store, MessageBox& box, QWidget* parent)
    : QWidget(parent), store_(std::move(store)), box_(box) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromUtf8(kCaption));
  resize(TwipsToPixels(kForm1ClientWidthTwips), TwipsToPixels(kForm1ClientHeightTwips));
  CreateUpperControls();
  CreateLowerControls();
  ConnectHandlers();
}

// The controls inside the client area, top to bottom. Option3 and Option4 share this
// window as parent, which makes them one exclusive group.
void Form1::CreateUpperControls() {
  Option4 = AddOption(this, "Option4", "mdb版", {1980, 300, 1755, 375});
  Option3 = AddOption(this, "Option3", "SQL版", {4320, 300, 2295, 375});
  Option3->setChecked(true);  // selected at design
  Label1[5] = AddLabel(this, "Label1_5", "SQLServer（RIVove.mdb）　Tabulon7がSQL版の場合のみ",
                       {180, 960, 7155, 315});
  Label1[0] = AddLabel(this, "Label1_0", "SOURCE", {1920, 1380, 1455, 315});
  txtSOURCE = AddTextBox(this, "txtSOURCE", kToolTipServerPc, {3480, 1320, 2655, 375});
  Label1[1] = AddLabel(this, "Label1_1", "USER ID", {1920, 1920, 1455, 315});
  txtUID = AddTextBox(this, "txtUID", "ユーザID", {3480, 1860, 2655, 375});
  Label1[2] = AddLabel(this, "Label1_2", "PASSWORD", {1920, 2460, 1455, 315});
  // The password is shown as typed: the file holds it in plain text anyway.
  txtPWD = AddTextBox(this, "txtPWD", "パスワード", {3480, 2400, 2655, 375});
  Label1[3] = AddLabel(this, "Label1_3", "DATABASE", {1920, 3000, 1455, 315});
  txtDATABASE = AddTextBox(this, "txtDATABASE", "データベース名", {3480, 2940, 2655, 375});
  cmdTouroku = AddButton(this, "cmdTouroku", "登録", "上記内容で登録します。",
                         {4140, 3660, 1455, 495});
  cmdEnd = AddButton(this, "cmdEnd", "閉じる", "画面を閉じます。", {5880, 3660, 1455, 495});
}

// The controls across or below the bottom edge (and left of the left edge): placed as
// designed, so the user practically does not see them, but loaded and saved like the
// others. Option1 and Option2 are one group inside Frame1.
void Form1::CreateLowerControls() {
  Text1 = AddTextBox(this, "Text1", kToolTipServerPc, {2820, 4380, 2655, 375});
  Label1[4] = AddLabel(this, "Label1_4", "ODBCName（Vurodor.mdb）", {-480, 4440, 3255, 315});
  Frame1 = Place(new QGroupBox(QString::fromUtf8("拡張子"), this), "Frame1",
                 {-60, 4680, 5595, 795});
  Option1 = AddOption(Frame1, "Option1", "bin版", {960, 240, 1755, 375});
  Option2 = AddOption(Frame1, "Option2", "vbd版", {3300, 240, 1455, 375});
  Option2->setChecked(true);  // selected at design
}

void Form1::ConnectHandlers() {
  connect(cmdTouroku, &QPushButton::clicked, this, [this] { cmdTouroku_Click(); });
  connect(cmdEnd, &QPushButton::clicked, this, [this] { cmdEnd_Click(); });
}

void Form1::Form_Load() { ShowValues(store_.Load()); }

// In the order the window opening fills them: Text1, the database option, the four SQL
// Server texts, the kind option.
void Form1::ShowValues(const SettingsValues& v) {
  Text1->setText(ToQ(v.dsn));
  (v.sqlServer ? Option3 : Option4)->setChecked(true);
  txtSOURCE->setText(ToQ(v.source));
  txtUID->setText(ToQ(v.uid));
  txtPWD->setText(ToQ(v.pwd));
  txtDATABASE->setText(ToQ(v.database));
  (v.vbdKind ? Option2 : Option1)->setChecked(true);
}

SettingsValues Form1::ValuesFromControls() const {
  SettingsValues v;
  v.dsn = FromQ(Text1->text());
  v.sqlServer = Option3->isChecked();
  v.source = FromQ(txtSOURCE->text());
  v.uid = FromQ(txtUID->text());
  v.pwd = FromQ(txtPWD->text());
  v.database = FromQ(txtDATABASE->text());
  v.vbdKind = Option2->isChecked();
  return v;
}

void Form1::cmdTouroku_Click() {
  if (box_.AskYesNo(kConfirmText, kConfirmTitle) != Answer::kYes) return;
  // The user gets no message either way; a failed write is only noted for whoever
  // started the program from a terminal.
  if (!store_.Save(ValuesFromControls())) {
    qWarning("TBWebSetup: could not write %s", store_.File().string().c_str());
  }
}

void Form1::cmdEnd_Click() { close(); }

}  // namespace setup
