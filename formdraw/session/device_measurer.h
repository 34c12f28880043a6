// The bridge between the layout engines and the device: a TextMeasurer that measures
// with the font selected on the device, the device font of an engine's FontRequest, and
// the engines' placed characters handed to the device as one text run.
#pragma once

#include <span>

#include "formdraw/device/device.h"
#include "formdraw/draw/font_request.h"
#include "formdraw/draw/text_measurer.h"
#include "formdraw/draw/text_placement.h"

namespace fmdraw::session {

// Measures in thousandths of a dot with whatever font is selected on `device` now; the
// device measures in whole dots.
class DeviceMeasurer final : public fd::draw::TextMeasurer {
 public:
  explicit DeviceMeasurer(device::Device& device) : device_(device) {}
  [[nodiscard]] long long RunWidth(std::string_view cp932) override;
  [[nodiscard]] long long CharHeight(std::string_view cp932Char) override;

 private:
  device::Device& device_;
};

// The device font of a request: sizes in dots, escapement with orientation 0.
[[nodiscard]] device::Font DeviceFont(const fd::draw::FontRequest& request);

// Draws `runs` (one text as placed) with the selected font as one device text run, each
// piece at its computed position. False when the device fails.
bool DrawGlyphRuns(device::Device& device, std::span<const fd::draw::GlyphRun> runs);

}  // namespace fmdraw::session
