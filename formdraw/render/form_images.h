// The form pass's static images. The image printer (conversion of TIFF files to
// temporary bitmaps, drawing the bitmap of an image record) belongs to the image
// library; until it is linked here these functions draw nothing.
// TODO(images): call the image library's PreconvertFormImages / DrawFormImage.
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
