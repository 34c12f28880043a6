#include "client/export/unattended_host.h"

#include <ctime>

namespace tb::workbook {

MsgBoxResult UnattendedHost::MsgBox(std::string_view text, MsgBoxButtons buttons, std::string_view,
                                    MsgBoxIcon) {
  messages_.emplace_back(text);
  // Nobody can agree to anything: a question is answered No.
  return buttons == MsgBoxButtons::kYesNo ? MsgBoxResult::kNo : MsgBoxResult::kOk;
}

void UnattendedHost::ShowModal(Document& dialog) {
  if (!dialog.Closed()) dialog.Handle(UiEvent{UiEvent::Kind::kClose, {}, 0, {}, 0, 0});
}

LocalTime UnattendedHost::Now() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  using namespace std::chrono;
  const local_days day{year{tm.tm_year + 1900} / month{static_cast<unsigned>(tm.tm_mon + 1)} /
                       static_cast<unsigned>(tm.tm_mday)};
  return day + hours{tm.tm_hour} + minutes{tm.tm_min} + seconds{tm.tm_sec};
}

}  // namespace tb::workbook
