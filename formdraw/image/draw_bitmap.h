// The bitmap primitive: finds a bitmap file (as given, else its bare name through the
// system file search), reads it at a byte offset, sets the device's colours and modes for
// drawing a picture and stretches the whole bitmap onto the device in one call.
#pragma once

#include <cstdint>
#include <string_view>

#include "formdraw/device/device.h"

namespace fd::image {

inline constexpr int kFileNotFound = -2;
inline constexpr int kStretchFailed = -7;

struct DrawBitmapRequest {
  int32_t magnification = 100;     // percent
  int32_t deviceResolution = 0;    // dots per inch
  std::string_view fileName;
  int32_t imageResolution = 0;     // dots per inch of the bitmap; below 1: stretch to the size
  int32_t x = 0, y = 0;            // device dots
  int32_t width = 0, height = 0;   // device dots, used when imageResolution < 1
  int64_t fileOffset = 0;          // where the bitmap starts inside the file
};

// 0, or -2 (no name, file not found), -3, -4, -5, -8, -11 (reading), -7 (the stretch
// failed, or there is no device, or the target size does not fit 32 bits).
int DrawBitMap(fmdraw::device::Device* device, const DrawBitmapRequest& request);

// The target size of step 7: at the image resolution, or the given size, with the
// magnification; integer arithmetic in the order that fixes the rounding. false when a
// result does not fit 32 bits.
bool TargetSize(int32_t bitmapWidth, int32_t bitmapHeight, const DrawBitmapRequest& request,
                int32_t& width, int32_t& height);

}  // namespace fd::image
