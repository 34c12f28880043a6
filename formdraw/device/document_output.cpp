#include "formdraw/device/document_output.h"

#include <cups/cups.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/codepage.h"

namespace fmdraw::device {

DocumentOutput::~DocumentOutput() { Abort(); }

std::string DocumentOutput::NewFile(std::string_view extension) {
  std::string pattern = tempFolder_ + "/.fmdraw-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  int fd = ::mkstemp(buffer.data());  // create-exclusive with a random name
  if (fd < 0) return {};
  ::close(fd);
  pending_.push_back({buffer.data(), std::string(extension)});
  return pending_.back().path;
}

void DocumentOutput::Abort() {
  for (const auto& p : pending_) ::unlink(p.path.c_str());
  pending_.clear();
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
  for (const auto& p : pending_) {
    std::string target = ClaimSequencedName(folder_, stem, p.extension);
    if (target.empty() || ::rename(p.path.c_str(), target.c_str()) != 0) {
      if (!target.empty()) ::unlink(target.c_str());
      Abort();
      return false;
    }
    ::chmod(target.c_str(), 0644);
    delivered_.push_back(target);
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
  for (const auto& p : pending_) {
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
