// What the browser may send: an event addressed to a document of the page it shows, read
// from a small JSON body, and the check that the event fits the document's current state
// (the control exists, can be seen and is enabled, the event is one that control takes).
// Events that fail are refused before any handler runs, so a crafted request cannot do
// what a person at the page could not.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "client/core/controls.h"
#include "client/core/host.h"

namespace tb::web {

// An event as the browser sends it: the page load it belongs to and the document
// ("docMain", "frmTenkey") it is addressed to.
struct BrowserEvent {
  int page = 0;
  std::string doc;
  UiEvent event;
};

// Reads {"page":1,"doc":"docMain","kind":"click","control":"lblDay1",...}; the kinds are
// click, dblclick, keypress (key), change (text), close, cellselect (row, col). Returns
// nullopt with a reason in *error for anything else.
std::optional<BrowserEvent> ParseBrowserEvent(std::string_view body, std::string* error);

// An answer to an open message box or save dialog, as the browser sends it.
struct BrowserAnswer {
  enum class Kind { kMsgBox, kSave };
  Kind kind = Kind::kMsgBox;
  std::uint64_t id = 0;           // the dialog's id from the published state
  MsgBoxResult button = MsgBoxResult::kOk;  // kMsgBox
  std::optional<std::string> name;          // kSave: the file name, nullopt = cancelled
  int choice = 0;  // kSave: the option chosen in a dialog with option buttons; -1 = not one
};

// Reads {"kind":"msgbox","id":3,"button":"ok"|"yes"|"no"} or {"kind":"save","id":4,
// "name":"file.csv"|null[,"choice":N]}; nullopt for anything else. An absent choice is
// the first option (0); one that is not an integer in 0..63 is -1, which no dialog takes. The name is checked later, when
// the dialog's default extension is known (SafeFileName).
std::optional<BrowserAnswer> ParseBrowserAnswer(std::string_view body);

// Why `e` may not reach `doc` now; empty when it may. `isDialog`: doc is an open modal
// dialog (only dialogs take a close event).
std::string CheckEvent(const Document& doc, bool isDialog, const UiEvent& e);

}  // namespace tb::web
