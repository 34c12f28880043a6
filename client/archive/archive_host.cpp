#include "client/archive/archive_host.h"

#include "client/core/controls.h"

namespace tb::archive {

MsgBoxResult ArchiveHost::MsgBox(std::string_view text, MsgBoxButtons buttons, std::string_view,
                                 MsgBoxIcon) {
  messages_.emplace_back(text);
  return buttons == MsgBoxButtons::kYesNo ? MsgBoxResult::kYes : MsgBoxResult::kOk;
}

void ArchiveHost::ShowModal(Document& dialog) {
  if (!dialog.Closed()) dialog.Handle(UiEvent{UiEvent::Kind::kClose, {}, 0, {}, 0, 0});
}

std::vector<std::string> ArchiveHost::TakeMessages() {
  std::vector<std::string> out;
  out.swap(messages_);
  return out;
}

}  // namespace tb::archive
