#include "tools/reportforms/form_builder.h"

#include <stdexcept>

#include "platform/codepage.h"

namespace reportforms {
namespace {

using json = nlohmann::ordered_json;

constexpr int kKindLine = 1;
constexpr int kKindBox = 2;
constexpr int kKindText = 3;
constexpr int kPatternHollow = 1;
constexpr int kTransparent = 1;
constexpr int kSpacingZero = 128;  // line and character spacing are stored plus 128
constexpr int kRecordFormatBytes = 32;

}  // namespace

int Twips(int v) { return (v * 1000 + (v >= 0 ? 882 : -882)) / 1764; }
int CharHeight(int points) { return points * 20 * 1764 / 1000; }
int PointsToFit(int width, int halfWidthChars) {
  int points = 1;
  while (CharHeight(points + 1) * halfWidthChars <= 2 * width) ++points;
  return points;
}

FormBuilder::FormBuilder(int paperCode, bool landscape) : paperCode_(paperCode), landscape_(landscape) {}

void FormBuilder::Order(int kind, std::size_t index) {
  order_.push_back({{"used", 1}, {"kind", kind}, {"index", static_cast<int>(index)}});
}

void FormBuilder::Line(int x1, int y1, int x2, int y2, int penWidth) {
  lines_.push_back({{"used", 1}, {"penWidth", penWidth}, {"x1", Twips(x1)}, {"y1", Twips(y1)},
                    {"x2", Twips(x2)}, {"y2", Twips(y2)}, {"bkMode", kTransparent}});
  Order(kKindLine, lines_.size() - 1);
}

void FormBuilder::Box(const Rect& r, int penWidth) {
  boxes_.push_back({{"used", 1}, {"penWidth", penWidth}, {"pattern", kPatternHollow},
                    {"x1", Twips(r.left)}, {"y1", Twips(r.top)}, {"x2", Twips(r.right)},
                    {"y2", Twips(r.bottom)}, {"frame", 1}, {"bkMode", kTransparent}});
  Order(kKindBox, boxes_.size() - 1);
}

void FormBuilder::Text(const Rect& cell, std::string_view utf8, const TextStyle& style) {
  const std::string bytes = platform::Utf8ToCp932(utf8);
  if (bytes.size() > 32) throw std::runtime_error("static text longer than one piece");
  const int h = CharHeight(style.points);
  const int top = cell.top + (cell.Height() - h) / 2;
  texts_.push_back({{"length", static_cast<int>(bytes.size())}, {"x", Twips(cell.left)},
                    {"y", Twips(top)}, {"width", Twips(cell.Width())}, {"height", style.points * 20},
                    {"font", static_cast<int>(style.face)}, {"size", style.points}, {"used", 1},
                    {"alignment", static_cast<int>(style.align)}, {"direction", 1},
                    {"lineSpacing", kSpacingZero}, {"charSpacing", kSpacingZero},
                    {"text", std::string(utf8)}});
  Order(kKindText, texts_.size() - 1);
}

void FormBuilder::Field(std::string_view name, const Rect& cell, const TextStyle& style,
                        int formatBytes, int inset, bool fieldIsCell) {
  if (name.size() > 20) throw std::runtime_error("field name longer than 20 bytes");
  const int h = CharHeight(style.points);
  const int y = fieldIsCell ? cell.top : cell.top + (cell.Height() - h) / 2;
  const int height = fieldIsCell ? cell.Height() : h;
  const int textY = fieldIsCell ? (cell.Height() - h) / 2 : 0;
  json record = {{"formatLength", 0}, {"number", ++fieldNumber_}, {"x", Twips(cell.left + inset)},
                 {"y", Twips(y)}, {"width", Twips(cell.Width() - 2 * inset)}, {"height", Twips(height)},
                 {"font", static_cast<int>(style.face)}, {"textX", 0}, {"textY", Twips(textY)},
                 {"frameWidth", 0}, {"size", style.points}, {"used", 1}, {"continues", 0},
                 {"alignment", static_cast<int>(style.align)}, {"direction", 1},
                 {"lineSpacing", kSpacingZero}, {"charSpacing", kSpacingZero},
                 {"format", ""}, {"name", std::string(name)}};
  // The format continues in records that carry only format bytes and the used flag.
  for (int left = formatBytes; left > 0; left -= kRecordFormatBytes) {
    const int n = std::min(left, kRecordFormatBytes);
    record["formatLength"] = n;
    record["format"] = std::string(static_cast<std::size_t>(n), 'X');
    record["continues"] = left > kRecordFormatBytes ? 1 : 0;
    fields_.push_back(record);
    record = {{"formatLength", 0}, {"used", 1}, {"continues", 0}, {"format", ""}};
  }
}

nlohmann::ordered_json FormBuilder::Json() const {
  json j;
  j["signature"] = "#Formvista Ver4.00";
  j["paperSize"] = paperCode_;
  j["orientation"] = landscape_ ? 1 : 2;  // the form file's code: 1 landscape, other portrait
  j["lines3to5"] = json::array({"", "", ""});
  j["textRecords"] = json::array({
      {{"hanging", "。、"}},
      {{"font", 1}, {"face", "ＭＳ 明朝"}, {"flag", 0}, {"pitchFamily", 49}, {"charset", 128}},
      {{"font", 2}, {"face", "ＭＳ ゴシック"}, {"flag", 0}, {"pitchFamily", 49}, {"charset", 128}},
  });
  j["records"] = {{"order", order_}, {"lines", lines_}, {"boxes", boxes_}, {"texts", texts_},
                  {"dataFields", fields_}};
  return j;
}

}  // namespace reportforms
