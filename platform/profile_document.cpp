// ProfileDocument: look-ups and single-key edits on the bytes of a profile file.
// Duplicates follow the first-wins rule of the platform the files come from: only the
// first section of a name is searched, and in it the first key of a name counts.
#include <algorithm>

#include "platform/profile.h"
#include "platform/profile_lines.h"

namespace platform {
namespace {

using profile_detail::ClassifyLine;
using profile_detail::Line;
using profile_detail::LineInfo;
using profile_detail::LineKind;
using profile_detail::NamesEqual;
using profile_detail::TrimBlanks;

std::string_view ContentOf(std::string_view bytes, const Line& l) {
  return bytes.substr(l.begin, l.contentEnd - l.begin);
}

// Where a section and its key stand among the lines of a text.
struct KeyPlace {
  bool sectionFound = false;
  std::size_t lastLineOfSection = 0;  // last non-blank line (the header at least)
  std::vector<std::size_t> keyLines;  // every line of the key in the first section
};

KeyPlace FindKey(std::string_view bytes, const std::vector<Line>& lines,
                 std::string_view section, std::string_view key) {
  KeyPlace place;
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view content = ContentOf(bytes, lines[i]);
    LineInfo info = ClassifyLine(content);
    if (info.kind == LineKind::kSection) {
      if (inSection) break;  // the first section of the name has ended
      if (!place.sectionFound && NamesEqual(info.name, section)) {
        place.sectionFound = inSection = true;
        place.lastLineOfSection = i;
      }
      continue;
    }
    if (!inSection) continue;
    if (!TrimBlanks(content).empty()) place.lastLineOfSection = i;
    if (info.kind == LineKind::kKey && NamesEqual(info.name, key)) place.keyLines.push_back(i);
  }
  return place;
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Ends the text's last line before a line is added after it; a lone CR at the end
// only needs its LF.
void EndLastLine(std::string& out, std::string_view eol) {
  if (out.empty() || out.back() == '\n') return;
  if (out.back() == '\r')
    out += '\n';
  else
    out += eol;
}

}  // namespace

bool ProfileArgumentsWritable(std::string_view section, std::string_view key,
                              std::optional<std::string_view> value) {
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  if (section.empty() || key.empty() || HasLineBreakOrNul(section) || HasLineBreakOrNul(key))
    return false;
  if (section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos ||
      key.front() == '[' || key.front() == ';')
    return false;
  return !value || !HasLineBreakOrNul(*value);
}

ProfileDocument ProfileDocument::Parse(std::string_view bytes) {
  ProfileDocument doc;
  doc.bytes_ = std::string(bytes);
  return doc;
}

std::optional<std::string> ProfileDocument::Get(std::string_view section,
                                                std::string_view key) const {
  std::vector<Line> lines = profile_detail::SplitLines(bytes_);
  KeyPlace place = FindKey(bytes_, lines, TrimBlanks(section), TrimBlanks(key));
  if (place.keyLines.empty()) return std::nullopt;
  return std::string(ClassifyLine(ContentOf(bytes_, lines[place.keyLines.front()])).value);
}

// Rebuilds the text line by line: the first key line is replaced (or, on removal, dropped with every
// duplicate, so that a removed key does not come back through a later copy), a missing
// key goes after the last line of its section, a missing section goes at the end.
std::string ProfileDocument::Set(std::string_view section, std::string_view key,
                                 std::optional<std::string_view> value) const {
  if (!ProfileArgumentsWritable(section, key, value)) return bytes_;
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  std::vector<Line> lines = profile_detail::SplitLines(bytes_);
  const std::string eol(profile_detail::LineEndingOf(lines));
  KeyPlace place = FindKey(bytes_, lines, section, key);
  if (!value && place.keyLines.empty()) return bytes_;

  std::string out(bytes_.substr(0, profile_detail::BomLength(bytes_)));
  auto keyLine = [&](std::string_view name) {
    return std::string(name) + "=" + std::string(*value);
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& l = lines[i];
    bool isKeyLine = std::find(place.keyLines.begin(), place.keyLines.end(), i) !=
                     place.keyLines.end();
    // Setting a key replaces its first line and leaves later copies alone.
    if (isKeyLine && (!value || i == place.keyLines.front())) {
      if (value) {
        std::string_view term = std::string_view(bytes_).substr(l.contentEnd, l.end - l.contentEnd);
        out += keyLine(ClassifyLine(ContentOf(bytes_, l)).name) + std::string(term);
      }
      continue;
    }
    out.append(bytes_, l.begin, l.end - l.begin);
    if (value && place.sectionFound && place.keyLines.empty() && i == place.lastLineOfSection) {
      EndLastLine(out, eol);
      out += keyLine(key) + eol;
    }
  }
  if (value && !place.sectionFound) {
    if (out.size() > profile_detail::BomLength(out)) EndLastLine(out, eol);
    out += "[" + std::string(section) + "]" + eol + keyLine(key) + eol;
  }
  return out;
}

}  // namespace platform
