// The HTTP library's request handling (request line, headers, body, routing, response)
// driven one request at a time by the connection front's workers, instead of by the
// library's own accept loop, which holds a thread for every connection it waits on.
// Routes are added with the library's usual calls (Get, Post, ...).
// Thread-safety: routes are added before Open; Process runs on many threads at once.
#pragma once

#include <httplib.h>

namespace tb::web {

class HttpProcessor : public httplib::Server {
 public:
  // Streamed responses are written while open (the library ends them when it is not).
  void Open(int listeningSocket) { svr_sock_ = listeningSocket; }
  void Close() { svr_sock_ = INVALID_SOCKET; }

  // Reads the request from `stream`, routes it and writes the response. `closeAfter`
  // asks for "Connection: close"; `closed` is set when the request asked for it.
  // False when the connection is of no further use.
  bool Process(httplib::Stream& stream, bool closeAfter, bool& closed) {
    return process_request(stream, closeAfter, closed, nullptr);
  }
};

}  // namespace tb::web
