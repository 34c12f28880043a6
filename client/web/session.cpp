#include "client/web/session.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "client/web/event_check.h"
#include "client/web/state_json.h"

namespace tb::web {
namespace {

constexpr std::size_t kMaxQueuedEvents = 256;
// Event requests of one session that may wait for the UI thread at the same time; each
// holds a server thread, so one page cannot take the whole pool.
constexpr int kMaxWaitingEvents = 8;

// Runs a handler; an exception escaping a page model is reported and swallowed so that
// the session's UI thread lives on.
bool SafeHandle(Document& doc, const UiEvent& e) {
  try {
    return doc.Handle(e);
  } catch (const std::exception& ex) {
    std::fprintf(stderr, "tbclient: handler of %s/%s failed: %s\n", std::string(doc.Name()).c_str(),
                 e.control.c_str(), ex.what());
  } catch (...) {
    std::fprintf(stderr, "tbclient: handler of %s/%s failed\n", std::string(doc.Name()).c_str(),
                 e.control.c_str());
  }
  return true;
}

std::string_view ButtonsName(MsgBoxButtons b) { return b == MsgBoxButtons::kYesNo ? "yesno" : "ok"; }

}  // namespace

Session::Session(SessionConfig config) : config_(std::move(config)) {
  state_.env = config_.env;
  snapshot_.json = R"({"page":0,"doc":null,"dialogs":[]})";
  lastActive_ = std::chrono::steady_clock::now();
  std::error_code ec;
  if (!config_.downloadDir.empty()) std::filesystem::create_directories(config_.downloadDir, ec);
  ui_ = std::thread([this] { Run(); });
}

Session::~Session() {
  Stop();
  if (ui_.joinable()) ui_.join();
  std::error_code ec;
  if (!config_.downloadDir.empty()) std::filesystem::remove_all(config_.downloadDir, ec);
}

// ---------------------------------------------------------------- HTTP threads

int Session::LoadPage(std::string page, std::string locationUrl) {
  std::lock_guard lk(mu_);
  Task t;
  t.kind = Task::kLoad;
  t.page = ++nextPage_;
  t.pageName = std::move(page);
  t.url = std::move(locationUrl);
  inbox_.push_back(std::move(t));
  ++loadsQueued_;
  cv_.notify_all();
  return nextPage_;
}

EventOutcome Session::PostEvent(int page, std::string doc, UiEvent e) {
  Task t;
  t.kind = Task::kEvent;
  t.page = page;
  t.doc = std::move(doc);
  t.event = std::move(e);
  return Queue(std::move(t));
}

EventOutcome Session::Inspect(int page, std::function<void(Document&)> inspect) {
  Task t;
  t.kind = Task::kInspect;
  t.page = page;
  t.inspect = std::move(inspect);
  return Queue(std::move(t));
}

EventOutcome Session::Queue(Task t) {
  if (waiting_.fetch_add(1) >= kMaxWaitingEvents) {
    --waiting_;
    return EventOutcome::kBusy;
  }
  struct Leave {
    std::atomic<int>& n;
    ~Leave() { --n; }
  } leave{waiting_};
  auto promise = std::make_shared<std::promise<EventOutcome>>();
  auto future = promise->get_future();
  {
    std::lock_guard lk(mu_);
    if (stop_) return EventOutcome::kStopped;
    if (inbox_.size() >= kMaxQueuedEvents) return EventOutcome::kRefused;
    t.reply = promise;
    inbox_.push_back(std::move(t));
    cv_.notify_all();
  }
  if (future.wait_for(config_.replyWait) != std::future_status::ready) return EventOutcome::kTimedOut;
  return future.get();
}

bool Session::AnswerMsgBox(std::uint64_t id, MsgBoxResult r) {
  std::lock_guard lk(mu_);
  if (msgBoxOpen_ != id || msgBoxAnswer_) return false;
  if (r != MsgBoxResult::kOk && msgBoxButtons_ == MsgBoxButtons::kOk) return false;
  if (r == MsgBoxResult::kOk && msgBoxButtons_ == MsgBoxButtons::kYesNo) return false;
  msgBoxAnswer_ = r;
  cv_.notify_all();
  return true;
}

bool Session::AnswerSave(std::uint64_t id, const std::optional<std::string>& name, int choice) {
  std::lock_guard lk(mu_);
  if (saveOpen_ != id || saveAnswer_) return false;
  if (choice < 0 || choice >= std::max(saveChoices_, 1)) return false;
  saveChoice_ = choice;
  if (!name) {
    saveAnswer_.emplace(std::nullopt);
  } else {
    auto safe = SafeFileName(*name, saveExt_);
    if (!safe) return false;
    saveAnswer_.emplace(std::move(*safe));
  }
  cv_.notify_all();
  return true;
}

Snapshot Session::WaitForChange(std::uint64_t seen, std::chrono::milliseconds timeout) {
  std::unique_lock lk(snapMu_);
  snapCv_.wait_for(lk, timeout, [&] { return snapshot_.version != seen || snapStop_; });
  return snapshot_;
}

Snapshot Session::Current() {
  std::lock_guard lk(snapMu_);
  return snapshot_;
}

std::optional<std::filesystem::path> Session::Download(int number, std::string* fileName) {
  std::lock_guard lk(mu_);
  auto it = downloads_.find(number);
  if (it == downloads_.end()) return std::nullopt;
  if (fileName) *fileName = it->second.filename().string();
  return it->second;
}

void Session::Touch() {
  std::lock_guard lk(mu_);
  lastActive_ = std::chrono::steady_clock::now();
}

int Session::AcquireStream(int max) {
  const int before = streams_.fetch_add(1);
  if (before >= max) {
    --streams_;
    return 0;
  }
  everStreamed_ = true;
  return before + 1;
}

std::chrono::steady_clock::time_point Session::LastActive() const {
  std::lock_guard lk(mu_);
  return lastActive_;
}

void Session::Stop() {
  {
    std::lock_guard lk(mu_);
    stop_ = true;
    cv_.notify_all();
  }
  std::lock_guard lk(snapMu_);
  snapStop_ = true;
  snapCv_.notify_all();
}

bool Session::Stopped() const {
  std::lock_guard lk(mu_);
  return stop_;
}

// ---------------------------------------------------------------- UI thread: the loop

void Session::Run() {
  Publish();
  Pump(Nest::kTop, [] { return false; });
  ReleaseReplies();
  page_.reset();
  std::lock_guard lk(mu_);
  for (auto& t : inbox_)
    if (t.reply) t.reply->set_value(EventOutcome::kStopped);
  inbox_.clear();
}

// A page load waiting in the inbox unwinds every nested loop: the browser has left the
// page, so its dialogs end as if cancelled and the load runs once the handlers return.
bool Session::ShouldUnwind() const { return stop_ || loadsQueued_ > 0; }

void Session::Pump(Nest nest, const std::function<bool()>& until) {
  std::unique_lock lk(mu_);
  for (;;) {
    if (until() || stop_) return;
    if (nest != Nest::kTop && ShouldUnwind()) return;
    if (!inbox_.empty()) {
      Task t = std::move(inbox_.front());
      inbox_.pop_front();
      if (t.kind == Task::kLoad) --loadsQueued_;
      lk.unlock();
      RunTask(t, nest);
      Publish();
      AnswerFinished(nest == Nest::kTop);
      lk.lock();
      continue;
    }
    auto now = TimerTable::Clock::now();
    std::optional<TimerTable::Clock::time_point> due;
    if (nest != Nest::kBlocked) {
      timers_.Sync(OpenDocuments(), now);
      due = timers_.NextDue();
    }
    if (due && *due <= now) {
      lk.unlock();
      FireDueTimers();
      if (nest == Nest::kTop) OfferDownloads();
      Publish();
      lk.lock();
      continue;
    }
    if (due) {
      cv_.wait_until(lk, *due);
    } else {
      cv_.wait(lk);
    }
  }
}

void Session::RunTask(Task& t, Nest nest) {
  if (t.kind == Task::kLoad) {
    RunLoad(t);
    return;
  }
  if (t.kind == Task::kInspect) {
    RunInspect(t);
    return;
  }
  RunEvent(t, nest);
  if (nest == Nest::kTop) OfferDownloads();
}

void Session::RunLoad(Task& t) {
  timers_.Clear();
  firing_.clear();
  page_.reset();
  pageNumber_ = t.page;
  pageName_ = t.pageName;
  locationUrl_ = t.url;
  statusText_.clear();
  pointer_ = MousePointer::kDefault;
  navNumber_ = backNumber_ = 0;
  navUrl_.clear();
  downloadJson_ = nullptr;
  try {
    page_ = config_.makePage(pageName_, state_, *this);
  } catch (const std::exception& ex) {
    std::fprintf(stderr, "tbclient: loading %s failed: %s\n", pageName_.c_str(), ex.what());
  }
}

void Session::RunEvent(Task& t, Nest nest) {
  PendingReply reply{t.reply};
  replies_.push_back(&reply);
  auto outcome = [&] {
    if (t.page != pageNumber_ || !page_) return EventOutcome::kStale;
    if (nest == Nest::kBlocked) return EventOutcome::kRefused;
    const bool isDialog = !modals_.empty();
    Document& target = isDialog ? *modals_.back() : *page_;
    if (t.doc != target.Name()) return EventOutcome::kRefused;
    if (!CheckEvent(target, isDialog, t.event).empty()) return EventOutcome::kRefused;
    return SafeHandle(target, t.event) ? EventOutcome::kDone : EventOutcome::kRefused;
  }();
  replies_.pop_back();
  if (reply.sent) return;
  if (outcome != EventOutcome::kDone) {
    reply.promise->set_value(outcome);
  } else if (nest == Nest::kModal && !modals_.empty() && modals_.back()->Closed()) {
    // An event that closed a dialog is answered when the code that opened the dialog has
    // run on, so that the answer comes with what the person sees next.
    deferred_.push_back(reply.promise);
  } else {
    finished_.push_back(reply.promise);  // answered once the new state is published
  }
}

void Session::RunInspect(Task& t) {
  if (t.page != pageNumber_ || !page_) {
    t.reply->set_value(EventOutcome::kStale);
    return;
  }
  try {
    t.inspect(*page_);
  } catch (const std::exception& ex) {
    std::fprintf(stderr, "tbclient: reading %s failed: %s\n", pageName_.c_str(), ex.what());
  }
  t.reply->set_value(EventOutcome::kDone);
}

void Session::AnswerFinished(bool outermost) {
  for (auto& p : finished_) p->set_value(EventOutcome::kDone);
  finished_.clear();
  if (!outermost) return;
  for (auto& p : deferred_) p->set_value(EventOutcome::kDone);
  deferred_.clear();
}

void Session::ReleaseReplies() {
  for (auto* r : replies_) {
    if (r->sent) continue;
    r->promise->set_value(EventOutcome::kDone);
    r->sent = true;
  }
  AnswerFinished(true);
}

void Session::FireDueTimers() {
  auto now = TimerTable::Clock::now();
  timers_.Sync(OpenDocuments(), now);
  for (auto& due : timers_.TakeDue(now)) {
    auto docs = OpenDocuments();
    if (std::find(docs.begin(), docs.end(), due.doc) == docs.end()) continue;
    const Control* c = due.doc->Controls().Find(due.id);
    if (c == nullptr || c->interval <= 0) continue;
    // A timer whose handler is still running (it opened a dialog) does not fire again.
    auto key = std::make_pair(due.doc, due.id);
    if (!firing_.insert(key).second) continue;
    SafeHandle(*due.doc, UiEvent{UiEvent::Kind::kTimer, due.id, 0, {}, 0, 0});
    firing_.erase(key);
  }
}

std::vector<Document*> Session::OpenDocuments() {
  std::vector<Document*> docs;
  if (page_) docs.push_back(page_.get());
  docs.insert(docs.end(), modals_.begin(), modals_.end());
  return docs;
}

// ---------------------------------------------------------------- UI thread: state

// The document part of the state: the page and its open dialogs. Rebuilt when the UI
// thread is between handlers or waits for the person; while a handler runs, the page is
// not repainted (as in the browser), but status text, pointer and navigation still go out
// at once with the document part last built.
void Session::BuildDocumentPart() {
  nlohmann::json dialogs = nlohmann::json::array();
  for (auto* d : modals_) dialogs.push_back(DocumentJson(*d));
  const auto dump = [](const nlohmann::json& j) {
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  };
  documentPart_ = "\"doc\":" + (page_ ? dump(DocumentJson(*page_)) : std::string("null")) +
                  ",\"dialogs\":" + dump(dialogs);
}

std::string Session::StateText() {
  nlohmann::json nav = nullptr;
  if (navNumber_ > 0) nav = {{"n", navNumber_}, {"url", navUrl_}};
  nlohmann::json rest = {{"page", pageNumber_},
                         {"pageName", pageName_},
                         {"msgbox", msgBoxJson_},
                         {"save", saveJson_},
                         {"status", statusText_},
                         {"wait", pointer_ == MousePointer::kHourglass},
                         {"nav", std::move(nav)},
                         {"back", backNumber_},
                         {"download", downloadJson_}};
  auto text = rest.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return "{" + documentPart_ + "," + text.substr(1);
}

void Session::Publish() {
  try {
    BuildDocumentPart();
  } catch (const std::exception& ex) {
    std::fprintf(stderr, "tbclient: state not published: %s\n", ex.what());
    return;
  }
  PublishChrome();
}

void Session::PublishChrome() {
  std::string text;
  try {
    text = StateText();
  } catch (const std::exception& ex) {
    std::fprintf(stderr, "tbclient: state not published: %s\n", ex.what());
    return;
  }
  std::lock_guard lk(snapMu_);
  if (text == snapshot_.json) return;
  snapshot_.json = std::move(text);
  ++snapshot_.version;
  snapCv_.notify_all();
}

// Every file of the handler goes to the browser (a range print writes one PDF a period),
// in the order they were offered; "n" is the last one's number, so the page starts each
// batch once.
void Session::OfferDownloads() {
  nlohmann::json files = nlohmann::json::array();
  for (const auto& path : savedFiles_) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) continue;
    int n = ++downloadNumber_;
    {
      std::lock_guard lk(mu_);
      downloads_[n] = path;
    }
    files.push_back({{"url", "/download/" + std::to_string(n)}, {"name", path.filename().string()}});
  }
  savedFiles_.clear();
  if (files.empty()) return;
  downloadJson_ = files.back();
  downloadJson_["n"] = downloadNumber_;
  downloadJson_["files"] = std::move(files);
}

// ---------------------------------------------------------------- Host

MsgBoxResult Session::MsgBox(std::string_view text, MsgBoxButtons buttons, std::string_view caption,
                             MsgBoxIcon icon) {
  const auto id = ++nextDialogId_;
  msgBoxJson_ = {{"id", id},
                 {"text", text},
                 {"caption", caption},
                 {"buttons", ButtonsName(buttons)},
                 {"icon", icon == MsgBoxIcon::kExclamation ? "exclamation" : ""}};
  {
    std::lock_guard lk(mu_);
    msgBoxOpen_ = id;
    msgBoxButtons_ = buttons;
    msgBoxAnswer_.reset();
  }
  Publish();
  ReleaseReplies();
  Pump(Nest::kBlocked, [&] { return msgBoxAnswer_.has_value(); });
  MsgBoxResult result = buttons == MsgBoxButtons::kYesNo ? MsgBoxResult::kNo : MsgBoxResult::kOk;
  {
    std::lock_guard lk(mu_);
    if (msgBoxAnswer_) result = *msgBoxAnswer_;
    msgBoxOpen_.reset();
    msgBoxAnswer_.reset();
  }
  msgBoxJson_ = nullptr;
  Publish();
  return result;
}

void Session::ShowModal(Document& dialog) {
  modals_.push_back(&dialog);
  Publish();
  ReleaseReplies();
  Pump(Nest::kModal, [&] { return dialog.Closed(); });
  // Unwinding (page left, session ending): the window's close box ends the dialog.
  if (!dialog.Closed()) SafeHandle(dialog, UiEvent{UiEvent::Kind::kClose, {}, 0, {}, 0, 0});
  modals_.pop_back();
  Publish();
}

std::optional<std::string> Session::ShowSaveDialog(const SaveDialogRequest& request) {
  auto answer = ShowSaveDialogWithChoice(request);
  if (!answer) return std::nullopt;
  return std::move(answer->path);
}

std::optional<SaveDialogAnswer> Session::ShowSaveDialogWithChoice(const SaveDialogRequest& request) {
  const auto id = ++nextDialogId_;
  saveJson_ = {{"id", id},
               {"title", request.title},
               {"fileName", request.fileName},
               {"filter", request.filter},
               {"ext", request.defaultExt},
               {"choices", request.choices}};
  {
    std::lock_guard lk(mu_);
    saveOpen_ = id;
    saveExt_ = request.defaultExt;
    saveChoices_ = static_cast<int>(request.choices.size());
    saveAnswer_.reset();
    saveChoice_ = 0;
  }
  Publish();
  ReleaseReplies();
  Pump(Nest::kBlocked, [&] { return saveAnswer_.has_value(); });
  std::optional<std::string> name;
  int choice = 0;
  {
    std::lock_guard lk(mu_);
    if (saveAnswer_) name = *saveAnswer_;
    choice = saveChoice_;
    saveOpen_.reset();
    saveAnswer_.reset();
  }
  saveJson_ = nullptr;
  Publish();
  if (!name || config_.downloadDir.empty()) return std::nullopt;
  auto path = config_.downloadDir / *name;
  savedFiles_.push_back(path);
  return SaveDialogAnswer{path.string(), choice};
}

void Session::SetStatusText(std::string_view text) {
  statusText_ = std::string(text);
  PublishChrome();
}

void Session::SetMousePointer(MousePointer pointer) {
  pointer_ = pointer;
  PublishChrome();
}

std::string Session::LocationUrl() { return locationUrl_; }

void Session::Navigate(std::string_view url) {
  ++navNumber_;
  navUrl_ = NavigationPath(url);
  PublishChrome();
}

void Session::GoBack() {
  ++backNumber_;
  PublishChrome();
}

void Session::DoEvents() {
  std::unique_lock lk(mu_);
  if (!inbox_.empty() && inbox_.front().kind != Task::kLoad && !stop_) {
    Task t = std::move(inbox_.front());
    inbox_.pop_front();
    lk.unlock();
    if (t.kind == Task::kInspect) {
      RunInspect(t);
    } else {
      RunEvent(t, modals_.empty() ? Nest::kTop : Nest::kModal);
    }
  } else {
    lk.unlock();
  }
  FireDueTimers();
  Publish();
  AnswerFinished(false);
}

LocalTime Session::Now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  using namespace std::chrono;
  auto day = local_days{year{tm.tm_year + 1900} / month{static_cast<unsigned>(tm.tm_mon + 1)} /
                        static_cast<unsigned>(tm.tm_mday)};
  return day + hours{tm.tm_hour} + minutes{tm.tm_min} + seconds{tm.tm_sec};
}

bool Session::HasPrinter() { return config_.hasPrinter ? config_.hasPrinter() : false; }

void Session::OfferPrintedDocument(const std::filesystem::path& file) { savedFiles_.push_back(file); }

// ---------------------------------------------------------------- helpers

std::optional<std::string> SafeFileName(std::string_view name, std::string_view defaultExt) {
  while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.remove_prefix(1);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
  if (name.empty() || name.size() > 200 || name.front() == '.') return std::nullopt;
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' ||
        c == '"' || c == '<' || c == '>' || c == '|')
      return std::nullopt;
  std::string out(name);
  if (out.find('.') == std::string::npos && !defaultExt.empty()) out += "." + std::string(defaultExt);
  return out;
}

std::string NavigationPath(std::string_view url) {
  for (std::string_view scheme : {"http://", "https://"}) {
    if (url.size() >= scheme.size() &&
        std::equal(scheme.begin(), scheme.end(), url.begin(),
                   [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); })) {
      url.remove_prefix(scheme.size());
      auto slash = url.find('/');
      url = slash == std::string_view::npos ? std::string_view{} : url.substr(slash);
      break;
    }
  }
  while (!url.empty() && (url.front() == '/' || url.front() == '\\')) url.remove_prefix(1);
  return "/" + std::string(url);
}

}  // namespace tb::web
