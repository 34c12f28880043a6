#include "platform/config_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <set>
#include <utility>

namespace platform {
namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

bool IsName(std::string_view s) {
  if (s.empty() || s.size() > 64) return false;
  for (char c : s) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '_' || c == '.';
    if (!ok) return false;
  }
  return true;
}

// One line into the file; false with the reason in *why.
bool ParseLine(std::string_view line, std::string* section, std::set<std::string>* seenSections,
               std::set<std::pair<std::string, std::string>>* seenKeys, ConfigFile* out,
               int number, std::string* why) {
  line = Trim(line);
  if (line.empty() || line.front() == '#' || line.front() == ';') return true;
  if (line.front() == '[') {
    if (line.back() != ']') return (*why = "a section header ends with ']'", false);
    const auto name = Trim(line.substr(1, line.size() - 2));
    if (!IsName(name)) return (*why = "bad section name '" + std::string(name) + "'", false);
    if (!seenSections->insert(std::string(name)).second)
      return (*why = "section [" + std::string(name) + "] appears twice", false);
    *section = std::string(name);
    return true;
  }
  const auto eq = line.find('=');
  if (eq == std::string_view::npos) return (*why = "expected 'key = value'", false);
  const auto key = Trim(line.substr(0, eq));
  if (!IsName(key)) return (*why = "bad setting name '" + std::string(key) + "'", false);
  if (!seenKeys->emplace(*section, std::string(key)).second)
    return (*why = "'" + std::string(key) + "' is set twice", false);
  out->entries.push_back({*section, std::string(key), std::string(Trim(line.substr(eq + 1))), number});
  return true;
}

}  // namespace

std::vector<ConfigEntry> ConfigFile::Section(std::string_view section) const {
  std::vector<ConfigEntry> found;
  for (const auto& e : entries)
    if (e.section == section) found.push_back(e);
  return found;
}

std::optional<ConfigFile> ParseConfigText(std::string_view text, std::string* error) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark some editors write
  ConfigFile file;
  std::string section;
  std::set<std::string> seenSections;
  std::set<std::pair<std::string, std::string>> seenKeys;
  int number = 0;
  while (!text.empty() || number == 0) {
    ++number;
    const auto end = text.find('\n');
    const auto line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (line.find('\0') != std::string_view::npos) {
      *error = "line " + std::to_string(number) + ": NUL byte";
      return std::nullopt;
    }
    std::string why;
    if (!ParseLine(line, &section, &seenSections, &seenKeys, &file, number, &why)) {
      *error = "line " + std::to_string(number) + ": " + why;
      return std::nullopt;
    }
  }
  return file;
}

std::optional<ConfigFile> ReadConfigFile(const std::filesystem::path& file, std::string* error) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    *error = file.string() + ": " + (std::filesystem::exists(file, ec) ? "not a regular file"
                                                                      : "no such file");
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    *error = file.string() + ": cannot be read (" + std::strerror(errno) + ")";
    return std::nullopt;
  }
  std::string text(kConfigMaxBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > kConfigMaxBytes) {
    *error = file.string() + ": larger than " + std::to_string(kConfigMaxBytes) + " bytes";
    return std::nullopt;
  }
  std::string why;
  auto parsed = ParseConfigText(text, &why);
  if (!parsed) *error = file.string() + ":" + why.substr(5);  // "line N: x" -> "PATH:N: x"
  return parsed;
}

}  // namespace platform
