// Fuzz harnesses only: reads structured values from the front of a fuzz input, so that a
// harness can build a well-formed header from the first bytes and hand the rest to the
// parser as the body. Every read succeeds: past the end it yields zeros and empty spans,
// so any input is a valid description. Header-only, built with gcc and clang alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace fuzzing {

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

  // The next `n` bytes (fewer at the end of the input).
  std::span<const std::uint8_t> Bytes(std::size_t n) {
    const std::size_t take = n < bytes_.size() ? n : bytes_.size();
    auto out = bytes_.first(take);
    bytes_ = bytes_.subspan(take);
    return out;
  }
  std::uint8_t Byte() {
    auto b = Bytes(1);
    return b.empty() ? 0 : b[0];
  }
  // A little-endian unsigned value of `width` bytes (at most 8).
  std::uint64_t Unsigned(std::size_t width) {
    std::uint64_t v = 0;
    auto b = Bytes(width);
    for (std::size_t i = 0; i < b.size(); ++i) v |= static_cast<std::uint64_t>(b[i]) << (8 * i);
    return v;
  }
  // A value in lo..hi (inclusive) from two bytes: small ranges are covered evenly.
  int Range(int lo, int hi) {
    const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo) + 1;
    return static_cast<int>(lo + static_cast<std::int64_t>(Unsigned(2) % span));
  }
  // One of `choices`, picked by the next byte.
  template <typename T, std::size_t N>
  T Pick(const T (&choices)[N]) {
    return choices[Byte() % N];
  }
  // Up to `max` bytes whose length comes from the next byte.
  std::string_view Text(std::size_t max) {
    auto b = Bytes(Byte() % (max + 1));
    return {reinterpret_cast<const char*>(b.data()), b.size()};
  }
  std::span<const std::uint8_t> Rest() { return Bytes(bytes_.size()); }
  [[nodiscard]] bool Empty() const { return bytes_.empty(); }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace fuzzing
