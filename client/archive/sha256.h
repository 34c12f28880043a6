// SHA-256 digests as 64 lower-case hex digits (OpenSSL's implementation).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tb::archive {

[[nodiscard]] std::string Sha256Hex(std::string_view bytes);

// Incremental form, for data fed in pieces.
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;
  void Add(std::string_view bytes);
  [[nodiscard]] std::string HexDigest();  // ends the digest

 private:
  struct Impl;
  Impl* impl_;
};

// The digest and size of a file, read in pieces. Throws ArchiveError when it cannot be read.
struct FileDigest {
  std::uintmax_t bytes = 0;
  std::string sha256;
};
[[nodiscard]] FileDigest DigestOfFile(const std::filesystem::path& file);

}  // namespace tb::archive
