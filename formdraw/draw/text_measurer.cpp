#include "formdraw/draw/text_measurer.h"

#include "formdraw/draw/characters.h"

namespace fd::draw {

long long FixedMetrics::RunWidth(std::string_view cp932) {
  long long w = 0;
  for (std::size_t pos = 0; pos < cp932.size();) {
    const std::size_t n = CharLength(cp932, pos);
    w += n == 2 ? fullWidth_ : fullWidth_ / 2;
    pos += n;
  }
  return w;
}

}  // namespace fd::draw
