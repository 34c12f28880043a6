// A message box for tests: answers from a queue given in advance and records every
// question as "title: text", so a test reads like the user's session. Asking with an
// empty queue answers No and is recorded as well (a test then sees the extra question).
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "setup/message_box.h"

namespace setup {

class ScriptedMessageBox final : public MessageBox {
 public:
  void Script(Answer a) { answers_.push_back(a); }

  Answer AskYesNo(std::string_view text, std::string_view title) override {
    asked_.push_back(std::string(title) + ": " + std::string(text));
    if (answers_.empty()) return Answer::kNo;
    const Answer a = answers_.front();
    answers_.pop_front();
    return a;
  }

  [[nodiscard]] const std::vector<std::string>& Asked() const { return asked_; }
  [[nodiscard]] bool AllAnswered() const { return answers_.empty(); }

 private:
  std::deque<Answer> answers_;
  std::vector<std::string> asked_;
};

}  // namespace setup
