// Splitting CP932 text into characters: a lead byte (0x81-0x9F, 0xE0-0xFC) and the byte
// after it form one double-byte character; every other byte is a character by itself.
// A lead byte at the very end of the text has no partner and counts as a single byte,
// so no split ever reads past the text. Pure functions over the caller's bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace fd::draw {

// Length in bytes (1 or 2) of the character that starts at `pos` (requires pos < size).
[[nodiscard]] std::size_t CharLength(std::string_view text, std::size_t pos);
[[nodiscard]] std::vector<std::string_view> SplitCharacters(std::string_view text);
// The longest prefix of at most `maxBytes` bytes that does not split a character.
[[nodiscard]] std::string_view CutAt(std::string_view text, std::size_t maxBytes);
// The characters in reverse order, double-byte characters kept whole.
[[nodiscard]] std::string ReverseCharacters(std::string_view text);

}  // namespace fd::draw
