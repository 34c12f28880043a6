// Form1, the one window of TBWebSetup: the controls of TBWeb.ini at their designed places
// (twips converted to pixels), and the three event handlers. The window only moves values
// between its controls and the SettingsStore; the file rules live in settings_model.h.
// Questions go through the injected MessageBox. GUI thread only.
#pragma once

#include <array>

#include <QWidget>

#include "setup/settings_model.h"
#include "setup/twips.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace setup {

class MessageBox;

inline constexpr int kForm1ClientWidthTwips = 7605;
inline constexpr int kForm1ClientHeightTwips = 4425;

class Form1 : public QWidget {
 public:
  // `box` must outlive the window. The controls show their design-time state until
  // Form_Load runs.
  Form1(SettingsStore store, MessageBox& box, QWidget* parent = nullptr);

  // Window opening: shows the file's values.
  void Form_Load();
  // "登録": asks, and on Yes writes the seven keys. The window stays open.
  void cmdTouroku_Click();
  // "閉じる": closes the window (and so ends the program) without saving.
  void cmdEnd_Click();

  // The controls, under their names (Label1 is the control array Label1(0..5)).
  QRadioButton* Option4 = nullptr;
  QRadioButton* Option3 = nullptr;
  std::array<QLabel*, 6> Label1{};
  QLineEdit* txtSOURCE = nullptr;
  QLineEdit* txtUID = nullptr;
  QLineEdit* txtPWD = nullptr;
  QLineEdit* txtDATABASE = nullptr;
  QPushButton* cmdTouroku = nullptr;
  QPushButton* cmdEnd = nullptr;
  QLineEdit* Text1 = nullptr;
  QGroupBox* Frame1 = nullptr;
  QRadioButton* Option1 = nullptr;
  QRadioButton* Option2 = nullptr;

 private:
  void CreateUpperControls();
  void CreateLowerControls();
  void ConnectHandlers();
  void ShowValues(const SettingsValues& v);
  [[nodiscard]] SettingsValues ValuesFromControls() const;

  SettingsStore store_;
  MessageBox& box_;
};

}  // namespace setup
