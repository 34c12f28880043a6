#include "client/web/trend_json.h"

namespace tb::web {

namespace {

void PutTag(nlohmann::json& j, const trend::PageTag& t) {
  j["tag"] = t.tagId;
  j["column"] = t.column;
  j["names"] = {t.large, t.middle, t.small};
  j["unit"] = t.unit;
  j["minutes"] = t.minutes;
}

void PutSeries(nlohmann::json& j, const trend::Series& s) {
  auto values = nlohmann::json::array();
  for (const auto& v : s.values) values.push_back(v ? nlohmann::json(*v) : nlohmann::json());
  j["values"] = std::move(values);
  j["texts"] = s.texts;
  j["total"] = s.total;
  j["average"] = s.average;
  j["maximum"] = s.maximum;
  j["minimum"] = s.minimum;
}

}  // namespace

nlohmann::json PageTagsJson(std::span<const trend::PageTag> tags) {
  auto list = nlohmann::json::array();
  for (const auto& t : tags) {
    nlohmann::json j;
    PutTag(j, t);
    list.push_back(std::move(j));
  }
  return {{"tags", std::move(list)}};
}

nlohmann::json TrendJson(const trend::TagTrend& t) {
  nlohmann::json j;
  PutTag(j, t.tag);
  j["kind"] = t.kind;
  j["key"] = t.key;
  j["caption"] = t.caption;
  j["rowUnit"] = t.rowUnit;
  j["labels"] = t.labels;
  PutSeries(j, t.current);
  auto max = nlohmann::json::array(), min = nlohmann::json::array();
  for (size_t i = 0; i < t.marks.size(); ++i) {
    if (t.marks[i] == trend::Mark::kMax) max.push_back(i);
    if (t.marks[i] == trend::Mark::kMin) min.push_back(i);
  }
  j["max"] = std::move(max);
  j["min"] = std::move(min);
  j["file"] = t.fileBase;
  if (t.previous.read) {
    nlohmann::json p = {{"label", t.previous.label}, {"key", t.previous.key},
                        {"caption", t.previous.caption}};
    PutSeries(p, t.previous.series);
    j["previous"] = std::move(p);
  } else {
    j["previous"] = nullptr;
  }
  return j;
}

}  // namespace tb::web
