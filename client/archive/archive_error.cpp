#include "client/archive/archive_error.h"

#include <cstring>

namespace tb::archive {

ArchiveError SystemError(const std::string& what, const std::string& path, int err) {
  return ArchiveError(what + " " + path + ": " + std::strerror(err));
}

}  // namespace tb::archive
