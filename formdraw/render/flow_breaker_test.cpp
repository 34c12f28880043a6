#include "formdraw/render/flow_breaker.h"

#include <gtest/gtest.h>

#include <ostream>

namespace fd::render {

void PrintTo(const FlowLine& l, std::ostream* os) {
  *os << "[" << l.begin << "," << l.end << ")" << (l.paragraphFirst ? " first" : "")
      << (l.paragraphLast ? " last" : "");
}

namespace {

const std::string kNichi = "\x93\xfa";
const std::string kTouten = "\x81\x41";  // "、", a hanging character
const std::string kChouon = "\x81\x5b";  // "ー": its second byte is "[" (a word byte)

struct Range {
  std::size_t begin, end;
  bool operator==(const Range&) const = default;
};

std::vector<Range> Ranges(const std::vector<FlowLine>& lines) {
  std::vector<Range> out;
  for (const auto& l : lines) out.push_back({l.begin, l.end});
  return out;
}

// Single-byte characters 5 dots, double-byte 10, all 10 high (thousandths below); the
// line is 52 dots unless a row says otherwise. A character fits while the running sum
// stays below the available length. Expected ranges worked out by hand.
TEST(BreakLines, FitsCharactersAndRefinesTheBreak) {
  struct Row {
    int id;
    std::string text;
    BreakOptions options;
    std::vector<Range> expected;
  } rows[] = {
      // Ten 5-dot characters take 50; the 11th would reach 55 and starts the next line.
      {1, "ABCDEFGHIJKL", {52000}, {{0, 10}, {10, 12}}},
      // Reaching the length exactly is not fitting: in 50, nine characters.
      {14, "ABCDEFGHIJKL", {50000}, {{0, 9}, {9, 12}}},
      // 1 dot of spacing after each: 8 fit (48), a 9th would reach 54.
      {2, "ABCDEFGHIJ", {52000, 1000}, {{0, 8}, {8, 10}}},
      // A line narrower than one character still takes one, never half of one.
      {3, kNichi + kNichi, {3000}, {{0, 2}, {2, 4}}},
      // A lead byte at the very end is a single byte.
      {4, "AB\x93", {52000}, {{0, 3}}},
      // Five double-byte characters take 50; "、" hangs past its end with bit 0.
      {5, kNichi + kNichi + kNichi + kNichi + kNichi + kTouten + "X",
       {52000, 0, false, true, false, kTouten}, {{0, 12}, {12, 13}}},
      {6, kNichi + kNichi + kNichi + kNichi + kNichi + kTouten + "X",
       {52000, 0, false, false, false, kTouten}, {{0, 10}, {10, 13}}},
      // Word wrap: the break inside "CDEFGHIJKL" moves back to the run's start.
      {7, "AB CDEFGHIJKL", {52000, 0, false, false, true}, {{0, 3}, {3, 13}}},
      // ... but not when the run begins the line.
      {8, "ABCDEFGHIJKL", {52000, 0, false, false, true}, {{0, 10}, {10, 12}}},
      // "-" ends a run: back to "F".
      {9, "ABCD-FGHIJKL", {52000, 0, false, false, true}, {{0, 5}, {5, 12}}},
      // The "[" inside "ー" is not a word character: no backtracking into it.
      {10, "AAAAAAAA" + kChouon + "B", {52000, 0, false, false, true}, {{0, 10}, {10, 11}}},
      // Vertical: 10-dot heights in a 32-dot column.
      {11, "ABCD", {32000, 0, true}, {{0, 3}, {3, 4}}},
      // CR LF ends a line; an empty line counts; a trailing CR LF adds no line.
      {12, "AB\r\n\r\nCD\r\n", {52000}, {{0, 2}, {4, 4}, {6, 8}}},
      // A lone CR or LF is an ordinary character.
      {13, "A\rB\nC", {52000}, {{0, 5}}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.id);
    draw::FixedMetrics metrics(10000, 10000);
    EXPECT_EQ(Ranges(BreakLines(r.text, r.options, metrics)), r.expected);
  }
}

TEST(BreakLines, MarksParagraphs) {
  draw::FixedMetrics metrics(10000, 10000);
  const auto lines = BreakLines("ABCDEFGHIJKL\r\nM", {52000}, metrics);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], (FlowLine{0, 10, true, false}));
  EXPECT_EQ(lines[1], (FlowLine{10, 12, false, true}));
  EXPECT_EQ(lines[2], (FlowLine{14, 15, true, true}));
}

TEST(BreakLines, StopsAfterAThousandLines) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "L\r\n";
  text += "LAST";  // line 1001
  draw::FixedMetrics metrics(10000, 10000);
  const auto lines = BreakLines(text, {52000}, metrics);
  ASSERT_EQ(lines.size(), kMaxFlowLines);
  EXPECT_EQ(lines.back().begin, 999u * 3);
}

}  // namespace
}  // namespace fd::render
