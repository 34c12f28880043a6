#include "formdraw/device/file_sink.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace fmdraw::device {

FileSink::FileSink(const std::string& path)
    : fd_(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC)) {}

FileSink::~FileSink() {
  if (fd_ >= 0) ::close(fd_);
}

cairo_status_t FileSink::Write(void* closure, const unsigned char* data, unsigned int length) {
  auto* sink = static_cast<FileSink*>(closure);
  while (length > 0 && sink->Ok()) {
    const ssize_t n = ::write(sink->fd_, data, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      sink->failed_ = true;
      break;
    }
    data += n;
    length -= static_cast<unsigned int>(n);
  }
  return sink->Ok() ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

bool FileSink::Finish() {
  if (fd_ < 0) return false;
  // Some file systems report a full disk only when the data is written back.
  if (::fsync(fd_) != 0 && errno != EINVAL) failed_ = true;
  if (::close(fd_) != 0) failed_ = true;
  fd_ = -1;
  return !failed_;
}

}  // namespace fmdraw::device
