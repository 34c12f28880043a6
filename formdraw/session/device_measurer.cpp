#include "formdraw/session/device_measurer.h"

#include <algorithm>
#include <array>
#include <vector>

namespace fmdraw::session {

long long DeviceMeasurer::RunWidth(std::string_view cp932) {
  if (cp932.empty()) return 0;
  return static_cast<long long>(device_.TextExtent(cp932).cx) * 1000;
}

long long DeviceMeasurer::CharHeight(std::string_view cp932Char) {
  return static_cast<long long>(device_.TextExtent(cp932Char).cy) * 1000;
}

device::Font DeviceFont(const fd::draw::FontRequest& r) {
  device::Font font;
  font.height = r.height;
  font.width = r.width;
  font.escapement = r.escapement;
  font.orientation = 0;
  font.weight = r.weight;
  font.italic = r.italic;
  font.charset = r.charset;
  font.pitchAndFamily = r.pitchAndFamily;
  font.face = r.face;
  return font;
}

bool DrawGlyphRuns(device::Device& dev, std::span<const fd::draw::GlyphRun> runs) {
  // Most texts are short: their pieces stay on the stack.
  constexpr std::size_t kOnStack = 64;
  std::array<device::RunPiece, kOnStack> local;
  std::vector<device::RunPiece> heap;
  std::span<device::RunPiece> pieces(local.data(), std::min(runs.size(), kOnStack));
  if (runs.size() > kOnStack) {
    heap.resize(runs.size());
    pieces = heap;
  }
  for (std::size_t i = 0; i < runs.size(); ++i) pieces[i] = {runs[i].text, {runs[i].x, runs[i].y}};
  return dev.TextRun(pieces);
}

}  // namespace fmdraw::session
