// The one error type of the archive: what failed, in words an operator can act on
// ("cannot write /srv/archive/daily/2026/12/manifest.tsv: No space left on device").
// Thrown inside client/archive only; RunArchive turns it into a message and exit code.
#pragma once

#include <stdexcept>
#include <string>

namespace tb::archive {

class ArchiveError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "<what> <path>: <strerror(err)>".
[[nodiscard]] ArchiveError SystemError(const std::string& what, const std::string& path, int err);

}  // namespace tb::archive
