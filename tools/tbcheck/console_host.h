// A Host for command-line tools: message boxes are written to a stream (and answered
// OK / Yes), dialogs close at once, the clock is the machine's local time, and there are
// no printers. Not thread-safe.
#pragma once

#include <ostream>
#include <string>

#include "client/core/host.h"

namespace tbcheck {

class ConsoleHost : public tb::Host {
 public:
  explicit ConsoleHost(std::ostream& out, std::string locationUrl = "http://localhost/docMain.vbd")
      : out_(out), locationUrl_(std::move(locationUrl)) {}

  tb::MsgBoxResult MsgBox(std::string_view text, tb::MsgBoxButtons buttons,
                          std::string_view caption, tb::MsgBoxIcon icon) override;
  void ShowModal(tb::Document& dialog) override;
  std::optional<std::string> ShowSaveDialog(const tb::SaveDialogRequest&) override { return {}; }
  void SetStatusText(std::string_view) override {}
  void SetMousePointer(tb::MousePointer) override {}
  std::string LocationUrl() override { return locationUrl_; }
  void Navigate(std::string_view) override {}
  void GoBack() override {}
  void DoEvents() override {}
  tb::LocalTime Now() override;
  bool HasPrinter() override { return false; }

  [[nodiscard]] int MessageCount() const { return messages_; }

 private:
  std::ostream& out_;
  std::string locationUrl_;
  int messages_ = 0;
};

}  // namespace tbcheck
