// The real message box of the settings program: a modal QMessageBox over a parent
// widget.
#pragma once

#include "setup/message_box.h"

class QWidget;

namespace setup {

class QtMessageBox final : public MessageBox {
 public:
  // `parent` may be null; it must outlive every question asked.
  explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  Answer AskYesNo(std::string_view text, std::string_view title) override;

 private:
  QWidget* parent_;
};

}  // namespace setup
