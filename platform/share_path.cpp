// Windows share paths onto local files. Components are matched case-insensitively
// against what exists, and the result is checked to lie under the base folder after
// symbolic links are followed, so neither a ".." nor a link can lead out of it.
#include "platform/share_path.h"

#include <algorithm>
#include <iterator>
#include <system_error>
#include <vector>

namespace platform {
namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// ASCII letters fold; bytes of UTF-8 multi-byte characters are all >= 0x80 and compare
// exactly.
bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

// Splits at "\" and "/"; nullopt when a component is empty, "." or "..", or holds a NUL.
std::optional<std::vector<std::string_view>> SplitComponents(std::string_view path) {
  std::vector<std::string_view> parts;
  if (path.empty()) return parts;
  std::size_t start = 0;
  while (true) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::string_view part = path.substr(start, end - start);
    if (part.empty() || part == "." || part == ".." || part.find('\0') != std::string_view::npos)
      return std::nullopt;
    parts.push_back(part);
    if (end == path.size()) return parts;
    start = end + 1;
  }
}

// True when `p`, with its existing part's links followed, lies in `base` (or is it).
bool StaysUnder(const fs::path& base, const fs::path& p) {
  std::error_code ec;
  fs::path realBase = fs::weakly_canonical(base, ec);
  if (ec) return false;
  fs::path real = fs::weakly_canonical(p, ec);
  if (ec) return false;
  auto [baseEnd, pathIt] = std::mismatch(realBase.begin(), realBase.end(), real.begin(), real.end());
  // A trailing empty element ("dir/") of the base is no real component.
  return baseEnd == realBase.end() || (std::next(baseEnd) == realBase.end() && baseEnd->empty());
}

}  // namespace

std::optional<fs::path> FindEntryIgnoringCase(const fs::path& dir, std::string_view name) {
  // Of several entries differing only in case, the one whose name sorts first byte-wise
  // is taken, whatever spelling was asked for: two programs that ask for "TBWeb.ini" and
  // "TBWEB.ini" then use the same file, and the choice does not depend on the folder's
  // order.
  std::error_code ec;
  std::optional<fs::path> best;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (EqualIgnoringCase(entry, name) && (!best || entry < best->filename().string()))
      best = it->path();
  }
  if (best || !ec) return best;
  // A folder that cannot be listed (search permission only) still finds the exact name.
  fs::path exact = dir / fs::path(std::string(name));
  if (fs::exists(fs::symlink_status(exact, ec))) return exact;
  return std::nullopt;
}

std::optional<fs::path> ResolveUnder(const fs::path& base, std::string_view relative) {
  // One leading separator ("\TBWeb.ini", as paths are glued on in the client) is allowed.
  if (!relative.empty() && IsSeparator(relative.front())) relative.remove_prefix(1);
  auto parts = SplitComponents(relative);
  if (!parts) return std::nullopt;
  fs::path current = base;
  bool matching = true;  // until the first component that does not exist
  for (std::string_view part : *parts) {
    std::optional<fs::path> found = matching ? FindEntryIgnoringCase(current, part) : std::nullopt;
    if (!found) matching = false;
    current = found ? *found : current / fs::path(std::string(part));
  }
  if (!StaysUnder(base, current)) return std::nullopt;
  return current;
}

std::optional<fs::path> ResolveSharePath(std::string_view uncPath, const fs::path& shareRoot) {
  if (uncPath.size() < 2 || !IsSeparator(uncPath[0]) || !IsSeparator(uncPath[1]))
    return std::nullopt;
  uncPath.remove_prefix(2);
  std::size_t hostEnd = 0;
  while (hostEnd < uncPath.size() && !IsSeparator(uncPath[hostEnd])) ++hostEnd;
  if (hostEnd == 0 || hostEnd == uncPath.size()) return std::nullopt;
  std::string_view rest = uncPath.substr(hostEnd + 1);
  std::size_t shareEnd = 0;
  while (shareEnd < rest.size() && !IsSeparator(rest[shareEnd])) ++shareEnd;
  if (!EqualIgnoringCase(rest.substr(0, shareEnd), kShareName)) return std::nullopt;
  if (shareEnd == rest.size()) return ResolveUnder(shareRoot, "");
  std::string_view inside = rest.substr(shareEnd + 1);
  if (inside.empty() || IsSeparator(inside.front())) return std::nullopt;  // "\\h\vurodor\" or "\\"
  return ResolveUnder(shareRoot, inside);
}

}  // namespace platform
