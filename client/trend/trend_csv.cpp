#include "client/trend/trend_csv.h"

#include <vector>

#include "client/grid/csv_field.h"
#include "platform/codepage.h"

namespace tb::trend {

namespace {

constexpr std::string_view kCrLf = "\r\n";

void AppendLine(std::string& out, const std::vector<std::string_view>& fields) {
  for (auto f : fields) AppendCsvField(out, f);
  out += kCrLf;
}

}  // namespace

std::string TagTitle(const PageTag& tag) {
  std::string title;
  for (const auto* part : {&tag.large, &tag.middle, &tag.small}) {
    if (part->empty()) continue;
    if (!title.empty()) title += ' ';
    title += *part;
  }
  if (!tag.unit.empty()) title += " [" + tag.unit + "]";
  return title;
}

std::string TrendCsvText(const TagTrend& main, std::span<const TagTrend> added) {
  // The columns after the row label, each with its series.
  std::vector<const Series*> series = {&main.current, &main.previous.series};
  const std::string previousTitle = main.previous.label + " " + main.previous.caption;
  std::vector<std::string> titles = {TagTitle(main.tag), previousTitle};
  for (const auto& t : added) {
    series.push_back(&t.current);
    titles.push_back(TagTitle(t.tag));
  }
  std::string out;
  AppendLine(out, {main.caption});
  std::vector<std::string_view> line = {main.rowUnit};
  line.insert(line.end(), titles.begin(), titles.end());
  AppendLine(out, line);
  for (size_t i = 0; i < main.labels.size(); ++i) {
    line = {main.labels[i]};
    for (const auto* s : series)
      line.push_back(i < s->texts.size() ? std::string_view(s->texts[i]) : std::string_view());
    AppendLine(out, line);
  }
  const std::pair<const char*, std::string Series::*> summaries[] = {
      {"合計", &Series::total}, {"平均", &Series::average},
      {"最大", &Series::maximum}, {"最小", &Series::minimum}};
  for (const auto& [word, member] : summaries) {
    line = {word};
    for (const auto* s : series) line.push_back(s->*member);
    AppendLine(out, line);
  }
  return out;
}

std::string TrendCsvFile(const TagTrend& main, std::span<const TagTrend> added) {
  return platform::Utf8ToCp932(TrendCsvText(main, added));
}

}  // namespace tb::trend
