// The boundary of the C interface: every export runs its body through Guarded, which
// turns any C++ exception into the export's failure code, so none crosses into C.
#pragma once

#include <cstdint>
#include <string_view>

#define FMDRAW_BUILDING 1
#include "formdraw/fmdraw32.h"

namespace fmdraw::abi {

template <typename Body>
auto Guarded(decltype(std::declval<Body>()()) failure, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

// Length of a C string up to `limit` + 1 bytes (so "over the limit" is visible); 0 for null.
inline std::size_t BoundedLength(const char* s, std::size_t limit) {
  if (s == nullptr) return 0;
  std::size_t n = 0;
  while (n <= limit && s[n] != '\0') ++n;
  return n;
}

}  // namespace fmdraw::abi
