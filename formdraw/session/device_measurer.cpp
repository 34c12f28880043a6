#include "formdraw/session/device_measurer.h"

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
  std::vector<device::RunPiece> pieces;
  pieces.reserve(runs.size());
  for (const fd::draw::GlyphRun& run : runs) pieces.push_back({run.text, {run.x, run.y}});
  return dev.TextRun(pieces);
}

}  // namespace fmdraw::session
