// Where finished documents go. A backend writes each output file (the PDF of a
// document, one PNG per page, the trace text) to a hidden temporary file beside its
// destination; Commit delivers the files in order, Abort deletes them, so a cancelled
// document leaves nothing behind. Each temporary file is locked while its output holds
// it; one that nobody holds (its process ended while writing it) is removed when the
// next document is begun in the same folder.
//  - FolderOutput: each file gets the name <document name>_<NNNN>.<ext>, the first free
//    sequence number, claimed with create-exclusive (never overwriting another file).
//  - CupsOutput: each file is submitted to a CUPS queue (raw files as raw), then deleted.
// One output per document; not thread-safe.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace fmdraw::device {

class DocumentOutput {
 public:
  virtual ~DocumentOutput();
  // A new temporary file for the next output file; empty on failure.
  std::string NewFile(std::string_view extension);
  // Delivers every file made so far under the document name (CP932). False on failure
  // (the files are then deleted).
  virtual bool Commit(std::string_view documentName, bool raw) = 0;
  // Deletes every file made so far.
  void Abort();
  [[nodiscard]] const std::vector<std::string>& Delivered() const { return delivered_; }

 protected:
  explicit DocumentOutput(std::string tempFolder) : tempFolder_(std::move(tempFolder)) {}
  struct Pending {
    std::string path;
    std::string extension;
    int lockFd = -1;  // open, with an exclusive lock, until delivered or deleted
  };
  // Records a delivered file and lets go of its temporary file's lock.
  void Delivered(Pending& p, std::string where);
  std::vector<Pending> pending_;
  std::vector<std::string> delivered_;

 private:
  std::string tempFolder_;
};

class FolderOutput : public DocumentOutput {
 public:
  explicit FolderOutput(std::string folder);
  bool Commit(std::string_view documentName, bool raw) override;

 private:
  std::string folder_;
};

class CupsOutput : public DocumentOutput {
 public:
  CupsOutput(std::string queue, int copies);
  bool Commit(std::string_view documentName, bool raw) override;

 private:
  std::string queue_;
  int copies_;
};

// Removes the temporary document files in `folder` that no output holds and that are at
// least `minAge` old.
void RemoveAbandonedFiles(const std::string& folder,
                          std::chrono::seconds minAge = std::chrono::seconds(5));

// A file name stem made from a CP932 document name: UTF-8, path and control characters
// replaced by "_", at most 80 bytes, "document" when empty.
std::string DocumentStem(std::string_view documentName);

// Claims <folder>/<stem>_<NNNN><ext> with the first free number (create-exclusive);
// returns the claimed path or empty.
std::string ClaimSequencedName(const std::string& folder, const std::string& stem,
                               std::string_view extension);

// An output for a port: "cups:QUEUE" or a folder. nullptr when the folder does not
// exist or is not writable.
std::unique_ptr<DocumentOutput> MakeOutputForPort(std::string_view port, int copies);

}  // namespace fmdraw::device
