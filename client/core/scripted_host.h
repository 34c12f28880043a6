// A Host for tests: it records what a person would see (message boxes with their
// captions, status texts, pointer changes, navigations) as text, answers message boxes
// from a queue (OK / Yes when the queue is empty), runs modal dialogs through a script
// callback, and has a settable clock and printer list. Timers are fired by the test
// (FireDueTimers / Tick). A test reads like a user's session.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "client/core/host.h"

namespace tb {

class ScriptedHost : public Host {
 public:
  struct Message {
    std::string text, caption;
    MsgBoxButtons buttons;
    MsgBoxIcon icon;
  };

  // --- what the test arranges ---
  std::string locationUrl = "http://HOST/docMain.vbd";
  LocalTime now{};  // the clock; tests set it
  bool hasPrinter = true;
  std::deque<MsgBoxResult> msgBoxAnswers;  // popped per message box
  // Called for every modal dialog; must act on the dialog until it is Closed() (the host
  // closes it with a kClose event when the script returns and it is still open).
  std::function<void(Document&)> onModal;
  // Answers of the save dialog, popped per call; nullopt = cancel. Empty queue = cancel.
  std::deque<std::optional<std::string>> saveAnswers;
  // The option chosen in a save dialog with option buttons, popped per such dialog; an
  // empty queue keeps the preselected first option.
  std::deque<int> saveChoices;
  // Called once per DoEvents.
  std::function<void()> onDoEvents;
  // Called while a message box is open (after it is recorded, before it is answered).
  std::function<void(const Message&)> onMessage;

  // --- what the test reads ---
  std::vector<Message> messages;
  std::vector<std::string> statusTexts;   // every status text set, in order
  std::string statusText;                 // the current one
  std::vector<MousePointer> pointers;
  MousePointer pointer = MousePointer::kDefault;
  std::vector<std::string> navigations;
  int goBackCount = 0;
  int doEventsCount = 0;
  std::vector<SaveDialogRequest> saveRequests;
  std::vector<std::string> modalDialogs;  // names of dialogs shown
  std::vector<std::filesystem::path> printedDocuments;  // offered by print jobs

  // --- Host ---
  MsgBoxResult MsgBox(std::string_view text, MsgBoxButtons buttons, std::string_view caption,
                      MsgBoxIcon icon) override {
    messages.push_back({std::string(text), std::string(caption), buttons, icon});
    if (onMessage) onMessage(messages.back());
    if (!msgBoxAnswers.empty()) {
      auto a = msgBoxAnswers.front();
      msgBoxAnswers.pop_front();
      return a;
    }
    return buttons == MsgBoxButtons::kYesNo ? MsgBoxResult::kYes : MsgBoxResult::kOk;
  }
  void ShowModal(Document& dialog) override {
    modalDialogs.emplace_back(dialog.Name());
    if (onModal) onModal(dialog);
    if (!dialog.Closed()) dialog.Handle(UiEvent{UiEvent::Kind::kClose, {}, 0, {}, 0, 0});
  }
  std::optional<std::string> ShowSaveDialog(const SaveDialogRequest& r) override {
    saveRequests.push_back(r);
    if (saveAnswers.empty()) return std::nullopt;
    auto a = saveAnswers.front();
    saveAnswers.pop_front();
    return a;
  }
  std::optional<SaveDialogAnswer> ShowSaveDialogWithChoice(const SaveDialogRequest& r) override {
    auto path = ShowSaveDialog(r);
    int choice = 0;
    if (!saveChoices.empty()) {
      choice = saveChoices.front();
      saveChoices.pop_front();
    }
    if (!path) return std::nullopt;
    return SaveDialogAnswer{std::move(*path), choice};
  }
  void SetStatusText(std::string_view text) override {
    statusText = std::string(text);
    statusTexts.push_back(statusText);
  }
  void SetMousePointer(MousePointer p) override {
    pointer = p;
    pointers.push_back(p);
  }
  std::string LocationUrl() override { return locationUrl; }
  void Navigate(std::string_view url) override { navigations.emplace_back(url); }
  void GoBack() override { ++goBackCount; }
  void DoEvents() override {
    ++doEventsCount;
    if (onDoEvents) onDoEvents();
  }
  LocalTime Now() override { return now; }
  bool HasPrinter() override { return hasPrinter; }
  void OfferPrintedDocument(const std::filesystem::path& file) override { printedDocuments.push_back(file); }

  // Texts of the message boxes shown so far.
  [[nodiscard]] std::vector<std::string> MessageTexts() const {
    std::vector<std::string> out;
    for (const auto& m : messages) out.push_back(m.text);
    return out;
  }
};

// Fires every running timer of `doc` once (interval > 0), in control order; returns how
// many fired. Tests use it to play "time passes".
inline int FireTimers(Document& doc) {
  std::vector<std::string> due;
  for (const auto& c : doc.Controls().All())
    if (c->kind == ControlKind::kTimer && c->interval > 0) due.push_back(c->Id());
  for (const auto& id : due) doc.Handle(UiEvent{UiEvent::Kind::kTimer, id, 0, {}, 0, 0});
  return static_cast<int>(due.size());
}

}  // namespace tb
