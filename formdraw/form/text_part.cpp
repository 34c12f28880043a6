#include "formdraw/form/text_part.h"

#include <climits>

#include "formdraw/form/form_format.h"

namespace fmdraw::form {

std::optional<std::string> LineReader::Next() {
  if (ended_ || pos_ >= bytes_.size()) return std::nullopt;
  // A line that begins with the DOS end-of-file mark ends the file.
  if (bytes_[pos_] == 0x1A) {
    ended_ = true;
    return std::nullopt;
  }
  std::string line;
  while (pos_ < bytes_.size() && line.size() < kMaxLineBytes) {
    uint8_t b = bytes_[pos_];
    if (b == '\r') break;
    line.push_back(static_cast<char>(b));
    ++pos_;
  }
  if (pos_ < bytes_.size() && bytes_[pos_] == '\r') {
    ++pos_;
    if (pos_ < bytes_.size() && bytes_[pos_] == '\n') ++pos_;
  }
  return line;
}

std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else {
      fields.back().push_back(c);
    }
  }
  return fields;
}

int32_t ParseLeadingInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  return static_cast<int32_t>(value);
}

std::string DecodeFormString(std::string_view stored) {
  std::string out;
  for (std::size_t i = 0; i < stored.size(); ++i) {
    char c = stored[i];
    if (c == 0x05) {
      out.push_back(',');
    } else if (c == 0x06 && i + 1 < stored.size() && stored[i + 1] == 0x07) {
      out += "\r\n";
      ++i;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string EncodeFormString(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == ',') {
      out.push_back(0x05);
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\x06\x07";
      ++i;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

namespace {

TextPartResult Fail(std::size_t line, std::string reason) {
  TextPartResult r;
  r.error = kErrFile;
  r.line = line;
  r.reason = std::move(reason);
  return r;
}

// One font line (code 400 and above). Returns an empty reason on success.
std::string ParseFontLine(int32_t code, const std::vector<std::string>& f, FontLine& out) {
  if (f.size() < 2 || f[1].empty() || f[1].size() > kMaxFaceBytes)
    return "face name must be 1 to 32 bytes";
  if (f.size() < 5 || f[2].empty() || f[3].empty() || f[4].empty())
    return "font line needs three integers";
  out.id = code - 400;
  out.face = f[1];
  out.first = ParseLeadingInt(f[2]);
  out.pitchFamily = ParseLeadingInt(f[3]);
  out.charset = ParseLeadingInt(f[4]);
  return {};
}

}  // namespace

// Reads lines 1 to 5 as they are, then record lines until "99".
TextPartResult ParseTextPart(std::span<const uint8_t> bytes) {
  LineReader reader(bytes);
  TextPartResult result;
  TextPart& part = result.part;
  for (auto& head : part.head) {
    auto line = reader.Next();
    if (!line) return Fail(0, "file ends before the records");
    head = *line;
  }
  for (std::size_t number = 6;; ++number) {
    auto line = reader.Next();
    if (!line || line->empty()) return Fail(number, "no \"99\" line");
    auto fields = SplitFields(*line);
    if (fields[0].empty()) return Fail(number, "empty record code");
    int32_t code = ParseLeadingInt(fields[0]);
    if (code == 99) {
      part.binaryOffset = reader.Offset();
      return result;
    }
    if (code < 300) return Fail(number, "record code below 300");
    part.recordLines.push_back(*line);
    if (code < 400) {
      std::string value = fields.size() > 1 ? fields[1] : std::string();
      if (code == 300) {
        part.hanging = value.substr(0, kMaxHangingBytes);
      } else if (code <= 303 && !part.formStrings[code - 301]) {
        part.formStrings[code - 301] = value;
      }
      continue;
    }
    FontLine font;
    std::string reason = ParseFontLine(code, fields, font);
    if (!reason.empty()) return Fail(number, reason);
    part.fonts.push_back(std::move(font));
    ++part.otherRecordLines;
  }
}

}  // namespace fmdraw::form
