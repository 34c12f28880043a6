// The chart requests of the grid page, answered from the page model of the asking
// session (on its UI thread) and only for the page load the browser names:
//
//   GET /trend?page=N                 the page's tags (JSON)
//   GET /trend?page=N&tag=ID          one tag's chart data (JSON, see trend_json.h)
//   GET /trend.csv?page=N&tag=ID...   the chart's values as a CSV download: the first tag
//                                     with its period before, then up to 4 added tags
//
// 403 without a session, 400 for malformed parameters, 404 for a page that is not a grid
// page or a tag that no column of the page on show holds, 409 when that page load is no
// longer shown or is still loading, 503 when the page is busy for too long.
#pragma once

#include <functional>
#include <memory>

namespace httplib {
class Server;
struct Request;
}  // namespace httplib

namespace tb::web {

class Session;
using SessionLookup = std::function<std::shared_ptr<Session>(const httplib::Request&)>;

void AddTrendRoutes(httplib::Server& http, SessionLookup sessionOf);

}  // namespace tb::web
