// Everything a page model asks of its surroundings: message boxes, modal dialogs, the
// save dialog, the status bar, the mouse pointer, the page address and frame navigation,
// letting the message loop run once, the clock and the printer list. Tests drive pages
// through a scripted host (client/core/scripted_host.h); the web host implements it for
// a real browser. All calls come from the document's UI thread.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "client/core/controls.h"

namespace tb {

enum class MsgBoxButtons { kOk, kYesNo };
enum class MsgBoxIcon { kNone, kExclamation };
enum class MsgBoxResult { kOk, kYes, kNo };
enum class MousePointer { kDefault, kHourglass };

using LocalTime = std::chrono::local_time<std::chrono::seconds>;

struct SaveDialogRequest {
  std::string title;        // "CSVファイル出力"
  std::string filter;       // "*.csv"
  std::string defaultExt;   // "csv"
  std::string fileName;     // proposed name
  // Option buttons shown under the file name, the first one preselected ("期間の全ページ",
  // "このページのみ"); empty for the plain dialog.
  std::vector<std::string> choices;
};

// What the user chose in a save dialog with option buttons: the path and the option's
// index in SaveDialogRequest::choices (0 when there are none).
struct SaveDialogAnswer {
  std::string path;
  int choice = 0;
};

class Host {
 public:
  virtual ~Host() = default;

  // A modal message box; returns the button pressed.
  virtual MsgBoxResult MsgBox(std::string_view text, MsgBoxButtons buttons,
                              std::string_view caption, MsgBoxIcon icon = MsgBoxIcon::kNone) = 0;
  // Shows a dialog model modally and returns when dialog.Closed() (a close by the window's
  // close box arrives as a UiEvent::Kind::kClose first).
  virtual void ShowModal(Document& dialog) = 0;
  // The save-file dialog: the path chosen, or nullopt when the user cancelled.
  virtual std::optional<std::string> ShowSaveDialog(const SaveDialogRequest& request) = 0;
  // The save-file dialog with its option buttons. A host that cannot show them offers
  // the plain dialog, which always answers the first option.
  virtual std::optional<SaveDialogAnswer> ShowSaveDialogWithChoice(const SaveDialogRequest& request) {
    auto path = ShowSaveDialog(request);
    if (!path) return std::nullopt;
    return SaveDialogAnswer{std::move(*path), 0};
  }

  virtual void SetStatusText(std::string_view text) = 0;
  virtual void SetMousePointer(MousePointer pointer) = 0;

  // The address the document was loaded from ("http://HOST:8080/docMain.vbd").
  [[nodiscard]] virtual std::string LocationUrl() = 0;
  // Navigates the hosting frame to an address (the grid document).
  virtual void Navigate(std::string_view url) = 0;
  // Goes back one step in the frame's history.
  virtual void GoBack() = 0;

  // Lets the message loop run once: processes at most one waiting event.
  virtual void DoEvents() = 0;
  // Local wall-clock time of the server.
  [[nodiscard]] virtual LocalTime Now() = 0;
  // True when at least one printer is installed.
  [[nodiscard]] virtual bool HasPrinter() = 0;
  // A document a print job wrote into a folder (the default printer's port): the host may
  // offer it to the user (the web host as a download). By default nothing happens.
  virtual void OfferPrintedDocument(const std::filesystem::path& file) { (void)file; }
};

}  // namespace tb
