// Fuzz entry for the events the browser sends, run the way a session runs them: each input
// line is one POST /event body. It is read (ParseBrowserEvent), checked against the
// document it addresses (CheckEvent), and, when both let it through, handled by the real
// selection page, whose start-up has run on an empty share. A date label click opens the
// ten-key dialog: the lines that follow go to the dialog until it closes, as the
// session's nested loop delivers them; events for the page under an open dialog are
// refused. A handler may fail (no settings, no database) but must not crash or hang.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

#include "client/core/client_state.h"
#include "client/core/scripted_host.h"
#include "client/selection/doc_main.h"
#include "client/web/event_check.h"

namespace {

using namespace tb;

class Lines {
 public:
  explicit Lines(std::string_view all) : rest_(all) {}
  bool Next(std::string_view* line) {
    if (rest_.empty() || count_ >= kMaxEvents) return false;
    const auto eol = rest_.find('\n');
    *line = rest_.substr(0, eol);
    rest_ = eol == std::string_view::npos ? std::string_view{} : rest_.substr(eol + 1);
    ++count_;
    return true;
  }

 private:
  static constexpr int kMaxEvents = 64;
  std::string_view rest_;
  int count_ = 0;
};

// One event for `target` (the top document: the open dialog, else the page).
void Deliver(Document& target, bool isDialog, std::string_view body) {
  std::string why;
  const auto e = web::ParseBrowserEvent(body, &why);
  if (!e || e->doc != target.Name()) return;
  if (!web::CheckEvent(target, isDialog, e->event).empty()) return;
  try {
    (void)target.Handle(e->event);
  } catch (const std::exception&) {
    // The session reports and swallows a handler's exception; so does the harness.
  }
}

const ClientEnvironment& EmptyShare() {
  static const ClientEnvironment env = [] {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("web_event_fuzz_" + std::to_string(::getpid()));
    fs::create_directories(root / "share");
    fs::create_directories(root / "client");
    ClientEnvironment e;
    e.shareRoot = root / "share";
    e.clientDir = root / "client";
    e.jetCacheDir = root / "cache";
    return e;
  }();
  return env;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Lines lines(std::string_view(reinterpret_cast<const char*>(data), size));
  ClientState state;
  state.env = EmptyShare();
  ScriptedHost host;
  using namespace std::chrono;
  host.now = local_days{year{2026} / 3 / 7} + hours{9};
  host.onModal = [&](Document& dialog) {
    std::string_view line;
    while (!dialog.Closed() && lines.Next(&line)) Deliver(dialog, true, line);
  };
  DocMain page(state, host);
  page.Initialize();
  page.Timer1_Timer();  // the start-up the session's timer runs
  std::string_view line;
  while (lines.Next(&line)) Deliver(page, false, line);
  return 0;
}
