// The questions the settings window asks the user, behind an interface so that tests
// can answer them from a script (scripted_message_box.h) and the program can show real
// modal boxes (qt_message_box.h). Used from the window's thread only.
#pragma once

#include <string_view>

namespace setup {

enum class Answer { kYes, kNo };

class MessageBox {
 public:
  virtual ~MessageBox() = default;
  // A modal box with the text, the title and the buttons Yes and No; returns the
  // button pressed (closing the box counts as No).
  virtual Answer AskYesNo(std::string_view text, std::string_view title) = 0;
};

}  // namespace setup
