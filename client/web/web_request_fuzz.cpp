// Fuzz entry for what the web host reads of a request: the input is what a client sends
// over one connection (one request or several, kept alive). The HTTP library reads it as
// it reads a socket (request line, query string, header lines, Range, chunked, multipart
// and compressed bodies, keep-alive), and every request it hands over is checked the way
// the host's routes check it, with the properties that keep a hostile request harmless:
// - a Host header that passes is a plain host name or address with an optional port: it
//   becomes the share folder \\HOST\vurodor and the page's address, so it may hold no
//   slash, backslash, blank or control character;
// - a session id is looked up only when it is 32 lower-case hex digits, and the cookie
//   set for it is one header line;
// - an event or answer body passes only within its limits; a save-dialog name that
//   passes is a plain file name (no folder part, no control character, no leading dot);
// - an asset is served only under its own name.
#include <httplib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "client/web/assets.h"
#include "client/web/event_check.h"
#include "client/web/session.h"
#include "client/web/session_id.h"
#include "client/web/web_server.h"

namespace {

using namespace tb::web;

// A connection whose client has sent the input and then closed its side; what the
// server writes back is dropped.
class InputStream final : public httplib::Stream {
 public:
  explicit InputStream(std::string_view input) : rest_(input) {}
  bool is_readable() const override { return true; }
  bool is_writable() const override { return true; }
  ssize_t read(char* ptr, size_t size) override {
    const std::size_t n = std::min(size, rest_.size());
    std::memcpy(ptr, rest_.data(), n);
    rest_.remove_prefix(n);
    return static_cast<ssize_t>(n);
  }
  ssize_t write(const char*, size_t size) override { return static_cast<ssize_t>(size); }
  void get_remote_ip_and_port(std::string& ip, int& port) const override { ip = "127.0.0.1", port = 50123; }
  void get_local_ip_and_port(std::string& ip, int& port) const override { ip = "127.0.0.1", port = 8080; }
  socket_t socket() const override { return INVALID_SOCKET; }
  [[nodiscard]] bool Done() const { return rest_.empty(); }

 private:
  std::string_view rest_;
};

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

void Check(const httplib::Request& req) {
  CheckHost(req.get_header_value("Host"), req.path);
  CheckCookie(req.get_header_value("Cookie"));
  if (req.method == "POST") CheckBody(req.body);
  CheckAsset(req.path);
}

// The library's request reading with the host's limits; every GET and POST it hands over
// goes to Check. The host registers no other method, so the library refuses them itself.
class RequestReader : public httplib::Server {
 public:
  RequestReader() {
    set_payload_max_length(ServerOptions{}.maxBody);
    Get(".*", [](const httplib::Request& q, httplib::Response&) { Check(q); });
    Post(".*", [](const httplib::Request& q, httplib::Response&) { Check(q); });
  }
  // One request from `in`; false when the connection is to be closed.
  bool ReadOne(InputStream& in) {
    bool closed = false;
    return process_request(in, /*close_connection=*/false, closed, nullptr) && !closed;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static RequestReader reader;
  InputStream in(std::string_view(reinterpret_cast<const char*>(data), size));
  // As many requests as the host's keep-alive allows on one connection.
  for (int i = 0; i < 8 && !in.Done() && reader.ReadOne(in); ++i) {
  }
  return 0;
}
