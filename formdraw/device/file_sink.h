// A file that a Cairo surface writes its document through, which remembers a write that
// failed (Cairo's own file output does not report a full disk: a cut document was
// delivered as if complete). Cairo hands over its document in many small pieces (a number,
// an operator), so they are gathered in a buffer and written in large blocks. Finish
// writes the rest, makes the data durable and reports whether all of it reached the
// disk. Not thread-safe; one per document.
#pragma once

#include <cairo.h>

#include <string>
#include <vector>

namespace fmdraw::device {

class FileSink {
 public:
  // Opens `path` (made empty); Ok() is false when it cannot be opened.
  explicit FileSink(const std::string& path);
  ~FileSink();
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  // The write function and closure to give cairo_pdf_surface_create_for_stream.
  static cairo_status_t Write(void* sink, const unsigned char* data, unsigned int length);
  [[nodiscard]] bool Ok() const { return fd_ >= 0 && !failed_; }
  // Flushes to the disk and closes; false when any write, the flush or the close failed.
  bool Finish();

 private:
  // Writes the buffer out; false (and failed_) when the file took less than all of it.
  bool Flush();

  int fd_ = -1;
  bool failed_ = false;
  std::vector<unsigned char> buffer_;
};

}  // namespace fmdraw::device
