#include "formdraw/form/form_info.h"

#include <optional>

#include "formdraw/form/text_part.h"

namespace fmdraw::form {

namespace {

std::optional<std::string> LineAt(std::span<const uint8_t> file, int number) {
  LineReader reader(file);
  std::optional<std::string> line;
  for (int i = 0; i < number; ++i) {
    line = reader.Next();
    if (!line) return std::nullopt;
  }
  return line;
}

int Line2Field(std::span<const uint8_t> file, std::size_t field) {
  auto line = LineAt(file, 2);
  if (!line) return 0;
  auto fields = SplitFields(*line);
  return field < fields.size() ? ParseLeadingInt(fields[field]) : 0;
}

}  // namespace

int SignatureVersion(std::string_view line1) {
  if (line1.size() >= 11 && line1.substr(1, 10) == "formeditor") return 1;
  if (line1.size() < 10 || line1.substr(1, 9) != "Formvista") return -2;
  if (line1.size() < 15) return -3;
  char digit = line1[14];
  return digit >= '2' && digit <= '4' ? digit - '0' : -3;
}

int FormVersion(std::span<const uint8_t> file) {
  auto line = LineAt(file, 1);
  return SignatureVersion(line ? *line : std::string());
}

int FormPaperSize(std::span<const uint8_t> file) { return Line2Field(file, 0); }
int FormOrientation(std::span<const uint8_t> file) { return Line2Field(file, 1); }

std::string FormString(std::span<const uint8_t> file, int kind) {
  LineReader reader(file);
  for (int i = 0; i < 5; ++i)
    if (!reader.Next()) return {};
  int wanted = 297 + kind;
  while (auto line = reader.Next()) {
    auto fields = SplitFields(*line);
    int code = ParseLeadingInt(fields[0]);
    if (code == 99 || code >= 400) break;
    if (code == wanted) return DecodeFormString(fields.size() > 1 ? fields[1] : std::string());
  }
  return {};
}

}  // namespace fmdraw::form
