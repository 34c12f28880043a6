// One browser session: its ClientState, the page it shows (a new page model per page
// load), the modal dialogs open over it, and the one UI thread that runs the session's
// events and timers one at a time, as the browser's UI thread did. The session is the
// pages' Host: a message box, a modal dialog or the save dialog blocks the UI thread
// until the browser answers (events for an open dialog run in a nested loop on the same
// thread); status text, pointer, navigation and downloads reach the browser through the
// published state.
//
// Thread-safety: the public methods above "Host" are called from HTTP threads; the Host
// methods and everything touching documents run on the UI thread only.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "client/core/client_state.h"
#include "client/core/host.h"
#include "client/web/timer_table.h"

namespace tb::web {

// Makes the model of a page ("docMain", "docGrid") for a session; nullptr for an unknown
// page. Called on the session's UI thread.
using PageFactory =
    std::function<std::unique_ptr<Document>(std::string_view page, ClientState&, Host&)>;

struct SessionConfig {
  ClientEnvironment env;
  PageFactory makePage;
  // A folder that only this session writes: files saved through the save dialog, offered
  // to the browser as downloads. Created by the session, removed with it.
  std::filesystem::path downloadDir;
  std::function<bool()> hasPrinter;
  // How long an event request waits for its handler to finish or block.
  std::chrono::milliseconds replyWait{30000};
};

enum class EventOutcome {
  kDone,      // ran (or is waiting in a dialog it opened)
  kRefused,   // not allowed in the current state; nothing changed
  kStale,     // addressed to a page load that is no longer shown
  kTimedOut,  // still running after replyWait
  kStopped,   // the session ended
  kBusy,      // too many requests of this session are waiting already
};

struct Snapshot {
  std::uint64_t version = 0;
  std::string json;
};

class Session final : public Host {
 public:
  explicit Session(SessionConfig config);
  ~Session() override;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Queues a fresh model of `page` loaded from `locationUrl`; returns the page load's
  // number, which the browser quotes in its events. Dialogs open over the previous page
  // are closed (as cancelled) first.
  int LoadPage(std::string page, std::string locationUrl);
  // Runs one event on the UI thread and waits until its handler finished or blocked.
  EventOutcome PostEvent(int page, std::string doc, UiEvent e);
  // Runs `inspect` on the UI thread with the page of page load `page` and waits for it
  // (replyWait at most). It runs between handlers, and also while a handler waits in a
  // dialog, so it must only read the page (and the shared state). kDone when it ran,
  // kStale when that page is no longer shown; kTimedOut, kStopped, kBusy as for events.
  EventOutcome Inspect(int page, std::function<void(Document&)> inspect);
  // Answers the open message box `id`; false when no such box is open.
  bool AnswerMsgBox(std::uint64_t id, MsgBoxResult r);
  // Answers the open save dialog `id` with a file name (validated by SafeFileName) and the
  // option chosen (an index into its choices; 0 when it has none) or a cancel (nullopt);
  // false when no such dialog is open, the name is not acceptable or no such option exists.
  bool AnswerSave(std::uint64_t id, const std::optional<std::string>& name, int choice = 0);
  // The published state once its version differs from `seen`, or after `timeout`.
  Snapshot WaitForChange(std::uint64_t seen, std::chrono::milliseconds timeout);
  [[nodiscard]] Snapshot Current();
  // The file behind a download offered to the browser.
  std::optional<std::filesystem::path> Download(int number, std::string* fileName);

  void Touch();
  // Counts the browser's open event streams: how many are open with this one, or 0 (and
  // nothing counted) when `max` are open already.
  int AcquireStream(int max);
  void ReleaseStream() { --streams_; }
  // True once a browser has opened the session's event stream: a page that never does
  // was not loaded by a browser (a script, a prefetch).
  [[nodiscard]] bool EverStreamed() const { return everStreamed_; }
  [[nodiscard]] std::chrono::steady_clock::time_point LastActive() const;
  // Ends the UI thread: open dialogs are cancelled, running handlers finish.
  void Stop();
  [[nodiscard]] bool Stopped() const;

  // --- Host (UI thread) ---
  MsgBoxResult MsgBox(std::string_view text, MsgBoxButtons buttons, std::string_view caption,
                      MsgBoxIcon icon) override;
  void ShowModal(Document& dialog) override;
  std::optional<std::string> ShowSaveDialog(const SaveDialogRequest& request) override;
  std::optional<SaveDialogAnswer> ShowSaveDialogWithChoice(const SaveDialogRequest& request) override;
  void SetStatusText(std::string_view text) override;
  void SetMousePointer(MousePointer pointer) override;
  std::string LocationUrl() override;
  void Navigate(std::string_view url) override;
  void GoBack() override;
  void DoEvents() override;
  LocalTime Now() override;
  bool HasPrinter() override;
  // A PDF a print job wrote into the default printer's folder: offered as a download.
  void OfferPrintedDocument(const std::filesystem::path& file) override;

 private:
  enum class Nest { kTop, kModal, kBlocked };
  struct Task {
    enum Kind { kLoad, kEvent, kInspect } kind = kEvent;
    int page = 0;
    std::string pageName, url;  // kLoad
    std::string doc;            // kEvent
    UiEvent event;
    std::function<void(Document&)> inspect;  // kInspect
    std::shared_ptr<std::promise<EventOutcome>> reply;
  };
  struct PendingReply {
    std::shared_ptr<std::promise<EventOutcome>> promise;
    bool sent = false;
  };

  EventOutcome Queue(Task t);  // an event or an inspection, answered by the UI thread
  void Run();
  void Pump(Nest nest, const std::function<bool()>& until);
  bool ShouldUnwind() const;  // requires mu_
  void RunTask(Task& t, Nest nest);
  void RunLoad(Task& t);
  void RunEvent(Task& t, Nest nest);
  void RunInspect(Task& t);
  void FireDueTimers();
  void ReleaseReplies();  // the UI thread blocks: waiting requests get their answer
  void AnswerFinished(bool outermost);
  void Publish();        // the whole state
  void PublishChrome();  // status, pointer, navigation, with the last document part
  void BuildDocumentPart();
  std::string StateText();
  void OfferDownloads();
  std::vector<Document*> OpenDocuments();

  SessionConfig config_;
  ClientState state_;

  // Guarded by mu_.
  mutable std::mutex mu_;
  std::condition_variable cv_;
  std::deque<Task> inbox_;
  int loadsQueued_ = 0;
  int nextPage_ = 0;
  bool stop_ = false;
  std::optional<std::uint64_t> msgBoxOpen_, saveOpen_;
  MsgBoxButtons msgBoxButtons_ = MsgBoxButtons::kOk;
  std::optional<MsgBoxResult> msgBoxAnswer_;
  std::string saveExt_;
  int saveChoices_ = 0;
  std::optional<std::optional<std::string>> saveAnswer_;
  int saveChoice_ = 0;
  std::map<int, std::filesystem::path> downloads_;
  std::chrono::steady_clock::time_point lastActive_;

  // Published state, guarded by snapMu_.
  std::mutex snapMu_;
  std::condition_variable snapCv_;
  Snapshot snapshot_;
  bool snapStop_ = false;

  // UI thread only.
  std::unique_ptr<Document> page_;
  int pageNumber_ = 0;
  std::string pageName_, locationUrl_;
  std::vector<Document*> modals_;
  TimerTable timers_;
  std::set<std::pair<Document*, std::string>> firing_;
  std::vector<PendingReply*> replies_;
  std::vector<std::shared_ptr<std::promise<EventOutcome>>> deferred_, finished_;
  std::string documentPart_ = "\"doc\":null,\"dialogs\":[]";
  std::string statusText_;
  MousePointer pointer_ = MousePointer::kDefault;
  nlohmann::json msgBoxJson_, saveJson_;
  std::uint64_t nextDialogId_ = 0;
  int navNumber_ = 0, backNumber_ = 0, downloadNumber_ = 0;
  std::string navUrl_;
  std::vector<std::filesystem::path> savedFiles_;
  nlohmann::json downloadJson_;

  std::atomic<int> streams_{0};
  std::atomic<bool> everStreamed_{false};
  std::atomic<int> waiting_{0};  // event requests waiting for their reply
  std::thread ui_;
};

// The name a file saved through the browser's save dialog gets: trimmed, without any
// folder part or control character, with `defaultExt` appended when it has no extension.
// nullopt for a name that cannot be a plain file name.
std::optional<std::string> SafeFileName(std::string_view name, std::string_view defaultExt);

// The path part of a navigation target: "http://host:8080/docGrid.vbd" gives
// "/docGrid.vbd", "docGrid.vbd" gives "/docGrid.vbd".
std::string NavigationPath(std::string_view url);

}  // namespace tb::web
