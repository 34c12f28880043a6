#include "tools/tbcheck/console_host.h"

#include "client/core/controls.h"

namespace tbcheck {

tb::MsgBoxResult ConsoleHost::MsgBox(std::string_view text, tb::MsgBoxButtons buttons,
                                     std::string_view caption, tb::MsgBoxIcon) {
  ++messages_;
  out_ << "[" << caption << "] " << text << "\n";
  return buttons == tb::MsgBoxButtons::kYesNo ? tb::MsgBoxResult::kYes : tb::MsgBoxResult::kOk;
}

void ConsoleHost::ShowModal(tb::Document& dialog) {
  if (!dialog.Closed()) dialog.Handle(tb::UiEvent{tb::UiEvent::Kind::kClose, {}, 0, {}, 0, 0});
}

tb::LocalTime ConsoleHost::Now() {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  return tb::LocalTime{std::chrono::seconds{timegm(&local)}};
}

}  // namespace tbcheck
