#include "client/web/trend_route.h"

#include <httplib.h>

#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "client/grid/doc_grid.h"
#include "client/trend/trend_csv.h"
#include "client/web/session.h"
#include "client/web/trend_json.h"

namespace tb::web {

namespace {

constexpr char kJson[] = "application/json";
constexpr std::size_t kMaxTagsInCsv = 1 + 4;  // the charted tag and the ones added to it

struct Answer {
  int status = 200;
  std::string body;
  std::string type = "text/plain; charset=utf-8";
  std::string fileName;  // set: offered as a download
};

Answer Refused(int status, std::string why) { return {status, std::move(why) + "\n"}; }

// Decimal digits only (an optional leading "-" where allowed), within the 64-bit range.
std::optional<long long> ParseNumber(const std::string& text, bool sign) {
  if (text.empty() || text.size() > 19 || (text[0] == '-' && !sign) || text == "-")
    return std::nullopt;
  long long v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || text[0] == '+') return std::nullopt;
  return v;
}

Answer RefusalAnswer(trend::Refusal r) {
  return r == trend::Refusal::kLoading ? Refused(409, "page is loading")
                                       : Refused(404, "tag not on this page");
}

Answer PageTagsAnswer(DocGrid& page) {
  if (page.LoadPending()) return RefusalAnswer(trend::Refusal::kLoading);
  const auto tags = trend::PageTags(page);
  return {200, PageTagsJson(tags).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
          kJson};
}

Answer TrendAnswer(DocGrid& page, long long tag) {
  auto r = trend::TrendOf(page, tag);
  if (!r.trend) return RefusalAnswer(r.refusal);
  return {200, TrendJson(*r.trend).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
          kJson};
}

Answer CsvAnswer(DocGrid& page, const std::vector<long long>& tags) {
  std::vector<trend::TagTrend> trends;
  for (auto tag : tags) {
    auto r = trend::TrendOf(page, tag);
    if (!r.trend) return RefusalAnswer(r.refusal);
    trends.push_back(std::move(*r.trend));
  }
  const std::span<const trend::TagTrend> added(trends.begin() + 1, trends.end());
  return {200, trend::TrendCsvFile(trends.front(), added), "text/csv; charset=Shift_JIS",
          trends.front().fileBase + ".csv"};
}

// Runs `build` on the session's UI thread with the page of page load `page`; the answer
// is shared with the UI thread, which may still run it after a request gave up waiting.
Answer FromPage(Session& session, int page, std::function<Answer(DocGrid&)> build) {
  auto answer = std::make_shared<Answer>(Refused(404, "not a grid page"));
  const auto outcome = session.Inspect(page, [answer, build = std::move(build)](Document& doc) {
    if (auto* grid = dynamic_cast<DocGrid*>(&doc)) *answer = build(*grid);
  });
  switch (outcome) {
    case EventOutcome::kDone: return *answer;
    case EventOutcome::kStale: return Refused(409, "page no longer shown");
    case EventOutcome::kStopped: return Refused(410, "session ended");
    case EventOutcome::kBusy:
    case EventOutcome::kRefused: return Refused(429, "too many requests waiting");
    case EventOutcome::kTimedOut: break;
  }
  return Refused(503, "page busy");
}

void ServeTrend(const httplib::Request& req, httplib::Response& res, const SessionLookup& sessionOf,
                bool csv) {
  auto send = [&res](const Answer& a) {
    res.status = a.status;
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Content-Type-Options", "nosniff");
    if (!a.fileName.empty())
      res.set_header("Content-Disposition", "attachment; filename=\"" + a.fileName + "\"");
    res.set_content(a.body, a.type);
  };
  auto session = sessionOf(req);
  if (!session) return send(Refused(403, "no session"));
  const auto page = ParseNumber(req.get_param_value("page"), false);
  std::vector<long long> tags;
  for (std::size_t i = 0; i < req.get_param_value_count("tag"); ++i) {
    const auto tag = ParseNumber(req.get_param_value("tag", i), true);
    if (!tag) return send(Refused(400, "bad tag"));
    tags.push_back(*tag);
  }
  if (!page || *page > 1'000'000'000) return send(Refused(400, "bad page"));
  const std::size_t most = csv ? kMaxTagsInCsv : 1;
  if (tags.size() > most || (csv && tags.empty())) return send(Refused(400, "bad tag count"));
  const int number = static_cast<int>(*page);
  if (csv) return send(FromPage(*session, number, [tags](DocGrid& g) { return CsvAnswer(g, tags); }));
  if (tags.empty()) return send(FromPage(*session, number, PageTagsAnswer));
  send(FromPage(*session, number, [tag = tags[0]](DocGrid& g) { return TrendAnswer(g, tag); }));
}

}  // namespace

void AddTrendRoutes(httplib::Server& http, SessionLookup sessionOf) {
  http.Get("/trend", [sessionOf](const httplib::Request& q, httplib::Response& r) {
    ServeTrend(q, r, sessionOf, false);
  });
  http.Get(R"(/trend\.csv)", [sessionOf](const httplib::Request& q, httplib::Response& r) {
    ServeTrend(q, r, sessionOf, true);
  });
}

}  // namespace tb::web
