#include "formdraw/device/file_sink.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace fmdraw::device {

namespace {
constexpr std::size_t kBlock = 64 * 1024;
}  // namespace

FileSink::FileSink(const std::string& path)
    : fd_(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC)) {
  buffer_.reserve(kBlock);
}

FileSink::~FileSink() {
  if (fd_ >= 0) ::close(fd_);
}

cairo_status_t FileSink::Write(void* closure, const unsigned char* data, unsigned int length) {
  auto* sink = static_cast<FileSink*>(closure);
  if (!sink->Ok()) return CAIRO_STATUS_WRITE_ERROR;
  if (sink->buffer_.size() + length > kBlock && !sink->Flush()) return CAIRO_STATUS_WRITE_ERROR;
  sink->buffer_.insert(sink->buffer_.end(), data, data + length);
  if (sink->buffer_.size() >= kBlock && !sink->Flush()) return CAIRO_STATUS_WRITE_ERROR;
  return CAIRO_STATUS_SUCCESS;
}

bool FileSink::Flush() {
  const unsigned char* data = buffer_.data();
  std::size_t left = buffer_.size();
  while (left > 0 && !failed_) {
    const ssize_t n = ::write(fd_, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      break;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  buffer_.clear();
  return !failed_;
}

bool FileSink::Finish() {
  if (fd_ < 0) return false;
  Flush();
  // Some file systems report a full disk only when the data is written back.
  if (::fsync(fd_) != 0 && errno != EINVAL) failed_ = true;
  if (::close(fd_) != 0) failed_ = true;
  fd_ = -1;
  return !failed_;
}

}  // namespace fmdraw::device
