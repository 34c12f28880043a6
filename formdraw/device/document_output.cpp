#include "formdraw/device/document_output.h"

#include <cups/cups.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/codepage.h"

namespace fmdraw::device {

namespace {

constexpr char kTempPrefix[] = ".fmdraw-";
constexpr std::size_t kTempNameSize = sizeof kTempPrefix - 1 + 6;  // mkstemp's six letters

void Unlock(int& fd) {
  if (fd >= 0) ::close(fd);  // closing releases the lock
  fd = -1;
}

}  // namespace

void RemoveAbandonedFiles(const std::string& folder, std::chrono::seconds minAge) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  const int dirFd = ::dirfd(dir);
  const std::time_t now = std::time(nullptr);
  while (const dirent* e = ::readdir(dir)) {
    if (std::strlen(e->d_name) != kTempNameSize ||
        std::strncmp(e->d_name, kTempPrefix, sizeof kTempPrefix - 1) != 0)
      continue;
    const int fd = ::openat(dirFd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat st{};
    // The age covers the moment between a writer's creating its file and locking it.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && now - st.st_mtime >= minAge.count() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      struct stat named{};
      if (::fstatat(dirFd, e->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_ino == st.st_ino &&
          named.st_dev == st.st_dev)
        ::unlinkat(dirFd, e->d_name, 0);
    }
    ::close(fd);
  }
  ::closedir(dir);
}

DocumentOutput::~DocumentOutput() { Abort(); }

std::string DocumentOutput::NewFile(std::string_view extension) {
  if (pending_.empty() && delivered_.empty()) RemoveAbandonedFiles(tempFolder_);
  std::string pattern = tempFolder_ + "/" + kTempPrefix + "XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  int fd = ::mkostemp(buffer.data(), O_CLOEXEC);  // create-exclusive with a random name
  if (fd < 0) return {};
  // Held until the file is delivered or deleted: a file nobody holds was left by a
  // process that ended while writing it.
  ::flock(fd, LOCK_EX | LOCK_NB);
  pending_.push_back({buffer.data(), std::string(extension), fd});
  return pending_.back().path;
}

void DocumentOutput::Abort() {
  for (auto& p : pending_) {
    ::unlink(p.path.c_str());
    Unlock(p.lockFd);
  }
  pending_.clear();
}

void DocumentOutput::Delivered(Pending& p, std::string where) {
  Unlock(p.lockFd);
  delivered_.push_back(std::move(where));
}

std::string DocumentStem(std::string_view documentName) {
  std::string utf8 = platform::Cp932ToUtf8(documentName);
  std::string stem;
  for (unsigned char c : utf8) {
    bool bad = c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':' || c == '*' ||
               c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
    stem.push_back(bad ? '_' : static_cast<char>(c));
  }
  if (stem.size() > 80) {
    std::size_t cut = 80;
    while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80) --cut;
    stem.resize(cut);
  }
  if (stem.empty() || stem[0] == '.') stem = "document" + stem;
  return stem;
}

std::string ClaimSequencedName(const std::string& folder, const std::string& stem,
                               std::string_view extension) {
  for (int n = 1; n <= 99999; ++n) {
    char number[16];
    std::snprintf(number, sizeof number, "_%04d", n);
    std::string path = folder + "/" + stem + number + std::string(extension);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ::close(fd);
      return path;
    }
    if (errno != EEXIST) return {};
  }
  return {};
}

FolderOutput::FolderOutput(std::string folder) : DocumentOutput(folder), folder_(std::move(folder)) {}

bool FolderOutput::Commit(std::string_view documentName, bool /*raw*/) {
  std::string stem = DocumentStem(documentName);
  for (auto& p : pending_) {
    std::string target = ClaimSequencedName(folder_, stem, p.extension);
    if (target.empty() || ::rename(p.path.c_str(), target.c_str()) != 0) {
      if (!target.empty()) ::unlink(target.c_str());
      Abort();
      return false;
    }
    ::chmod(target.c_str(), 0644);
    Delivered(p, target);
  }
  pending_.clear();
  return true;
}

namespace {

std::string TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  return tmp != nullptr && *tmp != '\0' ? std::string(tmp) : std::string("/tmp");
}

}  // namespace

CupsOutput::CupsOutput(std::string queue, int copies)
    : DocumentOutput(TempFolder()), queue_(std::move(queue)), copies_(copies) {}

bool CupsOutput::Commit(std::string_view documentName, bool raw) {
  std::string title = platform::Cp932ToUtf8(documentName);
  if (title.empty()) title = "document";
  bool ok = true;
  for (auto& p : pending_) {
    cups_option_t* options = nullptr;
    int count = 0;
    if (raw) count = cupsAddOption("raw", "true", count, &options);
    if (copies_ > 1) count = cupsAddOption("copies", std::to_string(copies_).c_str(), count, &options);
    int job = cupsPrintFile(queue_.c_str(), p.path.c_str(), title.c_str(), count, options);
    cupsFreeOptions(count, options);
    if (job <= 0) ok = false; else delivered_.push_back(queue_ + "#" + std::to_string(job));
  }
  Abort();  // the spooler has its own copies
  return ok;
}

std::unique_ptr<DocumentOutput> MakeOutputForPort(std::string_view port, int copies) {
  if (port.substr(0, 5) == "cups:" && port.size() > 5)
    return std::make_unique<CupsOutput>(std::string(port.substr(5)), copies);
  std::string folder(port);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  struct stat st{};
  if (folder.empty() || ::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
      ::access(folder.c_str(), W_OK | X_OK) != 0)
    return nullptr;
  return std::make_unique<FolderOutput>(folder);
}

}  // namespace fmdraw::device
