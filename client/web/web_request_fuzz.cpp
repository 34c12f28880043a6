// Fuzz entry for what the web host reads of a request: the input is a request as it comes
// over the wire (request line, header lines, an empty line, the body). The harness cuts
// it up the way the HTTP layer hands it over and passes each part to the host's own
// checks, with the properties that keep a hostile request harmless:
// - a Host header that passes is a plain host name or address with an optional port: it
//   becomes the share folder \\HOST\vurodor and the page's address, so it may hold no
//   slash, backslash, blank or control character;
// - a session id is looked up only when it is 32 lower-case hex digits;
// - an event or answer body passes only within its limits; a save-dialog name that
//   passes is a plain file name (no folder part, no control character, no leading dot);
// - an asset is served only under its own name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "client/web/assets.h"
#include "client/web/event_check.h"
#include "client/web/session.h"
#include "client/web/session_id.h"
#include "client/web/web_server.h"

namespace {

using namespace tb::web;

struct Request {
  std::string_view method, target, body;
  std::vector<std::pair<std::string_view, std::string_view>> headers;
};

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

Request Split(std::string_view all) {
  Request r;
  auto end = all.find("\r\n\r\n");
  std::string_view head = all.substr(0, end);
  r.body = end == std::string_view::npos ? std::string_view{} : all.substr(end + 4);
  bool first = true;
  while (!head.empty()) {
    auto eol = head.find('\n');
    std::string_view line = Trim(head.substr(0, eol));
    head = eol == std::string_view::npos ? std::string_view{} : head.substr(eol + 1);
    if (first) {
      first = false;
      auto sp = line.find(' ');
      r.method = line.substr(0, sp);
      line = sp == std::string_view::npos ? std::string_view{} : line.substr(sp + 1);
      r.target = line.substr(0, line.find(' '));
      continue;
    }
    auto colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    r.headers.emplace_back(Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)));
  }
  return r;
}

std::string_view Header(const Request& r, std::string_view name) {
  for (const auto& [k, v] : r.headers)
    if (SameName(k, name)) return v;
  return {};
}

void CheckHost(std::string_view host, std::string_view path) {
  if (!IsValidHostHeader(host)) return;
  for (unsigned char c : host)
    if (c <= ' ' || c >= 0x7F || c == '/' || c == '\\' || c == '@' || c == '?' || c == '#') __builtin_trap();
  // The page model sees http:// + Host + path and navigates by its path part.
  const std::string nav = NavigationPath("http://" + std::string(host) + std::string(path));
  if (nav.empty() || nav.front() != '/') __builtin_trap();
}

void CheckCookie(std::string_view cookie) {
  const std::string id = CookieValue(cookie, kSessionCookie);
  if (!IsWellFormedSessionId(id)) return;
  if (id.size() != 32 || id.find_first_not_of("0123456789abcdef") != std::string::npos) __builtin_trap();
  if (SessionCookieHeader(id).find_first_of("\r\n") != std::string::npos) __builtin_trap();
}

void CheckBody(std::string_view body) {
  std::string why;
  if (const auto e = ParseBrowserEvent(body, &why)) {
    if (e->doc.empty() || e->doc.size() > 64 || e->event.control.size() > 64 ||
        e->event.text.size() > 4096 || e->event.kind == tb::UiEvent::Kind::kTimer)
      __builtin_trap();
  } else if (why.empty()) {
    __builtin_trap();  // every refusal says why
  }
  const auto answer = ParseBrowserAnswer(body);
  if (!answer || !answer->name) return;
  for (std::string_view ext : {"csv", ""}) {
    const auto safe = SafeFileName(*answer->name, ext);
    if (!safe) continue;
    if (safe->empty() || safe->front() == '.' || safe->find_first_of("/\\") != std::string::npos) __builtin_trap();
    for (unsigned char c : *safe)
      if (c < 0x20 || c == 0x7F) __builtin_trap();
  }
}

// GET /assets/NAME serves a built-in file under exactly that name, never the page shell.
void CheckAsset(std::string_view path) {
  constexpr std::string_view kPrefix = "/assets/";
  if (path.substr(0, kPrefix.size()) != kPrefix) return;
  const std::string name(path.substr(kPrefix.size()));
  if (const auto* f = FindAsset(name); f != nullptr && f->name != name) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Request r = Split(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string_view path = r.target.substr(0, r.target.find('?'));
  CheckHost(Header(r, "Host"), path);
  CheckCookie(Header(r, "Cookie"));
  CheckBody(r.body);
  CheckAsset(path);
  return 0;
}
