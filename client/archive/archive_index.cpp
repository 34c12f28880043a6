#include "client/archive/archive_index.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "client/archive/archive_layout.h"
#include "client/archive/manifest.h"

namespace tb::archive {
namespace {

constexpr std::size_t kMaxParts = 6;
constexpr std::size_t kMaxPart = 64;
constexpr std::size_t kMaxManifest = 64u << 20;

std::vector<std::string_view> Parts(std::string_view path) {
  std::vector<std::string_view> parts;
  for (std::size_t pos = 0; pos <= path.size();) {
    const std::size_t slash = std::min(path.find('/', pos), path.size());
    parts.push_back(path.substr(pos, slash - pos));
    pos = slash + 1;
  }
  return parts;
}

bool IsArchiveName(std::string_view part) {
  if (part.empty() || part.size() > kMaxPart || part.front() == '.') return false;
  return std::all_of(part.begin(), part.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '-' ||
           c == '_';
  });
}

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { if (fd_ >= 0) ::close(fd_); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& o) noexcept : fd_(o.Release()) {}
  Fd& operator=(Fd&& o) noexcept {
    if (this != &o) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = o.Release();
    }
    return *this;
  }
  [[nodiscard]] int Get() const { return fd_; }
  int Release() { const int f = fd_; fd_ = -1; return f; }

 private:
  int fd_;
};

// Opens the folder `parts` below the root, refusing symbolic links at every step.
Fd OpenFolder(const std::filesystem::path& root, const std::vector<std::string_view>& parts) {
  Fd dir(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  for (const auto part : parts) {
    if (dir.Get() < 0) break;
    dir = Fd(::openat(dir.Get(), std::string(part).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  }
  return dir;
}

// A regular file inside an open folder, never through a link; -1 otherwise.
Fd OpenFileIn(int dir, std::string_view name, struct stat* st) {
  Fd f(::openat(dir, std::string(name).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (f.Get() < 0 || ::fstat(f.Get(), st) != 0 || !S_ISREG(st->st_mode)) return Fd();
  return f;
}

std::optional<Manifest> ManifestIn(int dir) {
  struct stat st{};
  Fd f = OpenFileIn(dir, kManifestName, &st);
  if (f.Get() < 0 || static_cast<std::size_t>(st.st_size) > kMaxManifest) return std::nullopt;
  std::string text(static_cast<std::size_t>(st.st_size), '\0');
  if (::pread(f.Get(), text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) return std::nullopt;
  try {
    return Manifest::Parse(text, std::string(kManifestName));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// Sub-folder names of `parts` made of `digits` digits, in order; links left out.
std::vector<std::string> DigitFolders(const std::filesystem::path& root, const std::vector<std::string_view>& parts,
                                      std::size_t digits) {
  std::vector<std::string> out;
  Fd dir = OpenFolder(root, parts);
  if (dir.Get() < 0) return out;
  DIR* d = ::fdopendir(dir.Release());
  if (d == nullptr) return out;
  while (const dirent* e = ::readdir(d)) {
    const std::string_view name(e->d_name);
    if (name.size() != digits || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    struct stat st{};
    if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
      out.emplace_back(name);
  }
  ::closedir(d);
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

bool IsArchivePath(std::string_view relative) {
  const auto parts = Parts(relative);
  return parts.size() <= kMaxParts && std::all_of(parts.begin(), parts.end(), IsArchiveName);
}

std::vector<std::string> ArchivedYears(const std::filesystem::path& root, Kind kind) {
  if (kind == Kind::kYearly) return {};
  return DigitFolders(root, {KindName(kind)}, 4);
}

std::vector<std::string> ArchivedMonths(const std::filesystem::path& root, std::string_view year) {
  if (!IsArchivePath(year)) return {};
  return DigitFolders(root, {KindName(Kind::kDaily), year}, 2);
}

std::optional<std::vector<IndexedPeriod>> ArchivedPeriods(const std::filesystem::path& root, std::string_view folder) {
  if (!IsArchivePath(folder)) return std::nullopt;
  const auto parts = Parts(folder);
  if (static_cast<int>(parts.size()) != ManifestDepth(parts.front())) return std::nullopt;
  Fd dir = OpenFolder(root, parts);
  if (dir.Get() < 0) return std::nullopt;
  const auto manifest = ManifestIn(dir.Get());
  if (!manifest) return std::nullopt;
  std::vector<IndexedPeriod> periods;
  std::map<std::string, std::size_t> at;
  for (const auto& e : manifest->Entries()) {
    auto [it, added] = at.emplace(e.period, periods.size());
    if (added) periods.push_back({e.period, false, {}});
    IndexedPeriod& p = periods[it->second];
    p.noData = e.NoData();
    if (e.NoData()) continue;
    auto v = std::find_if(p.versions.begin(), p.versions.end(), [&](const auto& x) { return x.version == e.version; });
    if (v == p.versions.end()) v = p.versions.insert(p.versions.begin(), IndexedVersion{e.version, e.written, {}, {}});
    IndexedFile f{std::string(folder) + "/" + e.file, e.file.substr(e.file.rfind('/') + 1), e.bytes};
    if (e.type == "pdf" && e.file.find('/') == std::string::npos) v->pdf = f;
    else v->pages.push_back(f);
  }
  for (auto& p : periods) {
    std::sort(p.versions.begin(), p.versions.end(), [](const auto& a, const auto& b) { return a.version > b.version; });
    for (auto& v : p.versions)
      std::sort(v.pages.begin(), v.pages.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  }
  return periods;
}

std::optional<OpenedFile> OpenArchivedFile(const std::filesystem::path& root, std::string_view relative) {
  if (!IsArchivePath(relative)) return std::nullopt;
  const auto parts = Parts(relative);
  const int depth = ManifestDepth(parts.front());
  if (depth == 0 || static_cast<int>(parts.size()) <= depth) return std::nullopt;
  Fd manifestDir = OpenFolder(root, {parts.begin(), parts.begin() + depth});
  if (manifestDir.Get() < 0) return std::nullopt;
  std::string inFolder;
  for (std::size_t i = static_cast<std::size_t>(depth); i < parts.size(); ++i)
    inFolder += (inFolder.empty() ? "" : "/") + std::string(parts[i]);
  if (inFolder != kManifestName) {
    const auto manifest = ManifestIn(manifestDir.Get());
    if (!manifest || manifest->FindFile(inFolder) == nullptr) return std::nullopt;
  }
  Fd dir = OpenFolder(root, {parts.begin(), parts.end() - 1});
  struct stat st{};
  Fd file = dir.Get() < 0 ? Fd() : OpenFileIn(dir.Get(), parts.back(), &st);
  if (file.Get() < 0) return std::nullopt;
  return OpenedFile{file.Release(), static_cast<std::uintmax_t>(st.st_size), std::string(parts.back())};
}

}  // namespace tb::archive
