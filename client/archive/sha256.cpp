#include "client/archive/sha256.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "client/archive/archive_error.h"

namespace tb::archive {

struct Sha256::Impl {
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
};

Sha256::Sha256() : impl_(new Impl) {
  if (impl_->ctx == nullptr || EVP_DigestInit_ex(impl_->ctx, EVP_sha256(), nullptr) != 1) {
    EVP_MD_CTX_free(impl_->ctx);
    delete impl_;
    throw std::bad_alloc();
  }
}

Sha256::~Sha256() {
  EVP_MD_CTX_free(impl_->ctx);
  delete impl_;
}

void Sha256::Add(std::string_view bytes) { EVP_DigestUpdate(impl_->ctx, bytes.data(), bytes.size()); }

std::string Sha256::HexDigest() {
  unsigned char md[EVP_MAX_MD_SIZE];
  unsigned int n = 0;
  EVP_DigestFinal_ex(impl_->ctx, md, &n);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * n);
  for (unsigned int i = 0; i < n; ++i) {
    hex += kHex[md[i] >> 4];
    hex += kHex[md[i] & 15];
  }
  return hex;
}

std::string Sha256Hex(std::string_view bytes) {
  Sha256 h;
  h.Add(bytes);
  return h.HexDigest();
}

FileDigest DigestOfFile(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw SystemError("cannot read", file.string(), errno);
  Sha256 h;
  FileDigest out;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      throw SystemError("cannot read", file.string(), err);
    }
    if (n == 0) break;
    h.Add({buffer, static_cast<std::size_t>(n)});
    out.bytes += static_cast<std::uintmax_t>(n);
  }
  ::close(fd);
  out.sha256 = h.HexDigest();
  return out;
}

}  // namespace tb::archive
