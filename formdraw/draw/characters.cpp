#include "formdraw/draw/characters.h"

#include "platform/codepage.h"

namespace fd::draw {

std::size_t CharLength(std::string_view text, std::size_t pos) {
  const bool lead = platform::IsCp932LeadByte(static_cast<unsigned char>(text[pos]));
  return lead && pos + 1 < text.size() ? 2 : 1;
}

std::vector<std::string_view> SplitCharacters(std::string_view text) {
  std::vector<std::string_view> out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t n = CharLength(text, pos);
    out.push_back(text.substr(pos, n));
    pos += n;
  }
  return out;
}

std::string_view CutAt(std::string_view text, std::size_t maxBytes) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t n = CharLength(text, pos);
    if (pos + n > maxBytes) break;
    pos += n;
  }
  return text.substr(0, pos);
}

std::string ReverseCharacters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const auto chars = SplitCharacters(text);
  for (auto it = chars.rbegin(); it != chars.rend(); ++it) out.append(*it);
  return out;
}

}  // namespace fd::draw
