// The form pass's static images, drawn by the image library (formdraw/image/): TIFF
// images converted to temporary bitmap copies before the pass, each image record drawn
// in its place in the drawing order. Builds without the image library draw no images.
#pragma once

#include <cstdint>

#include "formdraw/draw/units.h"
#include "formdraw/session/work_area.h"

namespace fd::render {

// Before the pass: converts the current form's TIFF images to temporary bitmap copies.
void PrepareFormImages(fmdraw::session::WorkArea& area);

// One image record (154 bytes) of the current form.
void DrawStaticImage(fmdraw::session::WorkArea& area, const std::uint8_t* record,
                     const draw::FormScale& scale);

}  // namespace fd::render
