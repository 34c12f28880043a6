#include "formdraw/render/flow_breaker.h"

#include "formdraw/draw/characters.h"

namespace fd::render {
namespace {

bool IsCrLf(std::string_view text, std::size_t pos) {
  return pos + 1 < text.size() && text[pos] == '\r' && text[pos + 1] == '\n';
}

bool IsSingleWord(std::string_view text, std::size_t pos) {
  return draw::CharLength(text, pos) == 1 && IsWordByte(static_cast<unsigned char>(text[pos]));
}

bool IsHanging(std::string_view ch, std::string_view list) {
  if (ch.size() != 2) return false;
  for (std::size_t i = 0; i + 1 < list.size(); i += 2)
    if (list.substr(i, 2) == ch) return true;
  return false;
}

class Breaker {
 public:
  Breaker(std::string_view text, const BreakOptions& o, draw::TextMeasurer& m)
      : text_(text), o_(o), m_(m) {}

  std::vector<FlowLine> Run() {
    std::vector<FlowLine> lines;
    bool paragraphFirst = true;
    while (pos_ < text_.size() && lines.size() < kMaxFlowLines) {
      FlowLine line{pos_, FitEnd(), paragraphFirst, false};
      pos_ = line.end;
      if (IsCrLf(text_, pos_)) {
        pos_ += 2;
        line.paragraphLast = true;
      } else {
        line.paragraphLast = pos_ >= text_.size();
      }
      paragraphFirst = line.paragraphLast;
      lines.push_back(line);
    }
    return lines;
  }

 private:
  long long Extent(std::string_view ch) {
    return (o_.vertical ? m_.CharHeight(ch) : m_.RunWidth(ch)) + o_.spacingMilli;
  }

  // The end of the line that starts at pos_: the fitting characters, then the hanging
  // and word-run refinements when the fit (not a CR LF or the text's end) broke it.
  std::size_t FitEnd() {
    starts_.clear();
    long long used = 0;
    std::size_t p = pos_;
    while (p < text_.size() && !IsCrLf(text_, p)) {
      const std::size_t n = draw::CharLength(text_, p);
      const long long e = Extent(text_.substr(p, n));
      // The line ends before the character that would reach the available length.
      if (p > pos_ && used + e >= o_.availableMilli) break;
      used += e;
      starts_.push_back(p);
      p += n;
    }
    if (p >= text_.size() || IsCrLf(text_, p)) return p;
    return Refine(p);
  }

  std::size_t Refine(std::size_t breakAt) {
    const std::string_view next = text_.substr(breakAt, draw::CharLength(text_, breakAt));
    if (o_.hang && IsHanging(next, o_.hangingList)) return breakAt + next.size();
    if (o_.wordWrap && IsSingleWord(text_, breakAt) && IsSingleWord(text_, starts_.back())) {
      std::size_t k = starts_.size() - 1;
      while (k > 0 && IsSingleWord(text_, starts_[k - 1])) --k;
      if (k > 0) return starts_[k];  // the run does not begin the line
    }
    return breakAt;
  }

  std::string_view text_;
  const BreakOptions& o_;
  draw::TextMeasurer& m_;
  std::size_t pos_ = 0;
  std::vector<std::size_t> starts_;  // starts of the current line's characters
};

}  // namespace

std::vector<FlowLine> BreakLines(std::string_view text, const BreakOptions& options,
                                 draw::TextMeasurer& measurer) {
  return Breaker(text, options, measurer).Run();
}

}  // namespace fd::render
