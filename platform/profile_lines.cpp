#include "platform/profile_lines.h"

#include "platform/codepage.h"

namespace platform::profile_detail {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Position of the first `c` that is a character of its own (not the trail byte of a
// double-byte character); npos when there is none.
std::size_t FindSingleByte(std::string_view s, char c) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == c) return i;
    if (IsCp932LeadByte(static_cast<unsigned char>(s[i]))) ++i;
  }
  return std::string_view::npos;
}

// "[name]" -> name. A header without a closing bracket found by the CP932 scan still
// names a section: a file written in UTF-8 can hide "]" behind a byte that looks like a
// CP932 lead byte, so the last plain "]" is tried, and then the rest of the line.
std::string_view SectionName(std::string_view afterBracket) {
  std::size_t close = FindSingleByte(afterBracket, ']');
  if (close == std::string_view::npos) close = afterBracket.rfind(']');
  if (close == std::string_view::npos) close = afterBracket.size();
  return TrimBlanks(afterBracket.substr(0, close));
}

// One matching pair of double or single quotes around a value is not part of it
// (Day='1' reads 1); a quote without its partner of the same kind stays.
std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

}  // namespace

std::size_t BomLength(std::string_view bytes) {
  return bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
}

std::vector<Line> SplitLines(std::string_view bytes) {
  std::vector<Line> lines;
  std::size_t pos = BomLength(bytes);
  while (pos < bytes.size()) {
    std::size_t lf = bytes.find('\n', pos);
    Line line;
    line.begin = pos;
    line.end = (lf == std::string_view::npos) ? bytes.size() : lf + 1;
    line.contentEnd = (lf == std::string_view::npos) ? bytes.size() : lf;
    if (line.contentEnd > pos && bytes[line.contentEnd - 1] == '\r') --line.contentEnd;
    lines.push_back(line);
    pos = line.end;
  }
  return lines;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

LineInfo ClassifyLine(std::string_view content) {
  std::string_view t = TrimBlanks(content);
  LineInfo info;
  if (t.empty() || t.front() == ';') return info;
  if (t.front() == '[') {
    info.kind = LineKind::kSection;
    info.name = SectionName(t.substr(1));
    return info;
  }
  std::size_t eq = FindSingleByte(t, '=');
  if (eq == std::string_view::npos) return info;
  info.name = TrimBlanks(t.substr(0, eq));
  if (info.name.empty()) return info;
  info.kind = LineKind::kKey;
  info.value = Unquote(TrimBlanks(t.substr(eq + 1)));
  return info;
}

bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (IsCp932LeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
      return false;
    }
  }
  return true;
}

std::string_view LineEndingOf(const std::vector<Line>& lines) {
  for (const Line& l : lines) {
    if (l.end == l.contentEnd) continue;  // last line without a terminator
    return (l.end - l.contentEnd == 2) ? std::string_view("\r\n") : std::string_view("\n");
  }
  return "\r\n";
}

std::string CutValue(std::string_view value, std::size_t maxBytes, bool utf8) {
  value = value.substr(0, value.find('\0'));
  if (value.size() <= maxBytes) return std::string(value);
  std::size_t keep = 0;
  while (keep < maxBytes) {
    auto b = static_cast<unsigned char>(value[keep]);
    std::size_t len = 1;
    if (utf8) {
      len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    } else if (IsCp932LeadByte(b)) {
      len = 2;
    }
    if (keep + len > maxBytes) break;
    keep += len;
  }
  return std::string(value.substr(0, keep));
}

}  // namespace platform::profile_detail
