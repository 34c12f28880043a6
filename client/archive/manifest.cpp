#include "client/archive/manifest.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "client/archive/archive_error.h"

namespace tb::archive {
namespace {

constexpr std::string_view kHeader =
    "# tbarchive manifest 1\n"
    "# period\tversion\ttype\tfile\tbytes\tsha256\tdata\twritten\n";
constexpr std::size_t kFields = 8;

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> out;
  for (std::size_t pos = 0;;) {
    const std::size_t tab = line.find('\t', pos);
    out.push_back(line.substr(pos, tab == std::string_view::npos ? tab : tab - pos));
    if (tab == std::string_view::npos) return out;
    pos = tab + 1;
  }
}

template <class T>
bool ParseNumber(std::string_view text, T& out) {
  const auto* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && ptr == end && !text.empty();
}

bool IsHex64(std::string_view s) {
  return s.size() == 64 && std::all_of(s.begin(), s.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

// A file name as the archive writes it: relative, "/"-separated, no empty, "." or ".."
// component, nothing that would break the line.
bool IsArchiveFileName(std::string_view f) {
  if (f.empty() || f.front() == '/' || f.back() == '/') return false;
  for (std::size_t pos = 0; pos <= f.size();) {
    const std::size_t slash = std::min(f.find('/', pos), f.size());
    const auto part = f.substr(pos, slash - pos);
    if (part.empty() || part.front() == '.') return false;
    pos = slash + 1;
  }
  return std::none_of(f.begin(), f.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::optional<ManifestEntry> ParseLine(std::string_view line) {
  const auto f = SplitTabs(line);
  if (f.size() != kFields) return std::nullopt;
  ManifestEntry e;
  e.period = std::string(f[0]);
  e.type = std::string(f[2]);
  e.file = std::string(f[3]);
  e.sha256 = std::string(f[5]);
  e.data = std::string(f[6]);
  e.written = std::string(f[7]);
  if (e.period.empty() || !ParseNumber(f[1], e.version) || !ParseNumber(f[4], e.bytes)) return std::nullopt;
  if (!IsHex64(e.data)) return std::nullopt;
  if (e.NoData()) {
    if (e.version != 0 || e.file != "-" || e.sha256 != "-") return std::nullopt;
  } else if (e.version < 1 || e.type.empty() || !IsHex64(e.sha256) || !IsArchiveFileName(e.file)) {
    return std::nullopt;
  }
  return e;
}

}  // namespace

Manifest Manifest::Parse(std::string_view text, const std::string& where) {
  Manifest m;
  int lineNo = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t nl = text.find('\n', pos);
    const auto line = text.substr(pos, nl == std::string_view::npos ? nl : nl - pos);
    pos = nl == std::string_view::npos ? text.size() : nl + 1;
    ++lineNo;
    if (line.empty() || line.front() == '#') continue;
    auto e = ParseLine(line);
    if (!e) throw ArchiveError(where + " line " + std::to_string(lineNo) + " does not read as a manifest line");
    m.entries_.push_back(std::move(*e));
  }
  return m;
}

std::string Manifest::Text() const {
  std::string out(kHeader);
  for (const auto& e : entries_) {
    out += e.period + '\t' + std::to_string(e.version) + '\t' + e.type + '\t' + e.file + '\t' +
           std::to_string(e.bytes) + '\t' + e.sha256 + '\t' + e.data + '\t' + e.written + '\n';
  }
  return out;
}

std::optional<PeriodState> Manifest::StateOf(std::string_view period) const {
  std::optional<PeriodState> state;
  for (const auto& e : entries_) {
    if (e.period != period) continue;
    if (!state) state.emplace();
    state->version = std::max(state->version, e.version);
    state->noData = e.NoData();
    state->data = e.data;
  }
  return state;
}

const ManifestEntry* Manifest::FindFile(std::string_view file) const {
  for (const auto& e : entries_)
    if (!e.NoData() && e.file == file) return &e;
  return nullptr;
}

std::vector<std::string> Manifest::Periods() const {
  std::vector<std::string> out;
  std::set<std::string_view> seen;
  for (const auto& e : entries_)
    if (seen.insert(e.period).second) out.push_back(e.period);
  return out;
}

void Manifest::Add(std::vector<ManifestEntry> entries) {
  for (auto& e : entries) entries_.push_back(std::move(e));
}

}  // namespace tb::archive
