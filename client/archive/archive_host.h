// The Host the archive runs the client's print job and grid page under: no person is
// there, so every message box is kept (and answered OK / Yes) for the run to report as a
// failure of the period, the clock is the run's "now", a printer is always installed
// (the archive's own), and dialogs close at once. Not thread-safe.
#pragma once

#include <string>
#include <vector>

#include "client/core/host.h"

namespace tb::archive {

class ArchiveHost : public Host {
 public:
  explicit ArchiveHost(LocalTime now) : now_(now) {}

  MsgBoxResult MsgBox(std::string_view text, MsgBoxButtons buttons, std::string_view caption,
                      MsgBoxIcon icon) override;
  void ShowModal(Document& dialog) override;
  std::optional<std::string> ShowSaveDialog(const SaveDialogRequest&) override { return std::nullopt; }
  void SetStatusText(std::string_view) override {}
  void SetMousePointer(MousePointer) override {}
  std::string LocationUrl() override { return "http://localhost/docMain.vbd"; }
  void Navigate(std::string_view) override {}
  void GoBack() override {}
  void DoEvents() override {}
  LocalTime Now() override { return now_; }
  bool HasPrinter() override { return true; }

  // The messages shown since the last TakeMessages, as "text" (caption left out).
  [[nodiscard]] std::vector<std::string> TakeMessages();

 private:
  LocalTime now_;
  std::vector<std::string> messages_;
};

}  // namespace tb::archive
