// A Host with no person in front of it, for work that runs without a page on show: the
// workbook export loading the pages of a period, the command-line export. Message boxes
// are recorded (answered OK, or No to a question), dialogs close at once, the save dialog
// is cancelled, status texts and the pointer are ignored. Not thread-safe.
#pragma once

#include <string>
#include <vector>

#include "client/core/host.h"

namespace tb::workbook {

class UnattendedHost : public Host {
 public:
  explicit UnattendedHost(std::string locationUrl = "http://localhost/docMain.vbd")
      : locationUrl_(std::move(locationUrl)) {}

  MsgBoxResult MsgBox(std::string_view text, MsgBoxButtons buttons, std::string_view caption,
                      MsgBoxIcon icon) override;
  void ShowModal(Document& dialog) override;
  std::optional<std::string> ShowSaveDialog(const SaveDialogRequest&) override { return {}; }
  void SetStatusText(std::string_view) override {}
  void SetMousePointer(MousePointer) override {}
  std::string LocationUrl() override { return locationUrl_; }
  void Navigate(std::string_view) override {}
  void GoBack() override {}
  void DoEvents() override {}
  LocalTime Now() override;
  bool HasPrinter() override { return false; }

  // The texts of the message boxes shown so far, in order.
  [[nodiscard]] const std::vector<std::string>& Messages() const { return messages_; }

 private:
  std::string locationUrl_;
  std::vector<std::string> messages_;
};

}  // namespace tb::workbook
