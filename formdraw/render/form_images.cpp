#include "formdraw/render/form_images.h"

// FMDRAW_WITH_IMAGE_PRINTER is set by the build when the image library is part of it.
#ifdef FMDRAW_WITH_IMAGE_PRINTER
#include "formdraw/image/image_printer.h"
#endif

namespace fd::render {

#ifdef FMDRAW_WITH_IMAGE_PRINTER

void PrepareFormImages(fmdraw::session::WorkArea& area) {
  fd::image::PreconvertFormImages(area, area.forms.CurrentSlot());
}

void DrawStaticImage(fmdraw::session::WorkArea& area, const std::uint8_t* record,
                     const draw::FormScale& scale) {
  // The pass does not report an image that cannot be drawn.
  (void)fd::image::DrawFormImage(area, record,
                                 {scale.magnification, scale.dpi, scale.offsetXDots, scale.offsetYDots});
}

#else

void PrepareFormImages(fmdraw::session::WorkArea&) {}

void DrawStaticImage(fmdraw::session::WorkArea&, const std::uint8_t*, const draw::FormScale&) {}

#endif

}  // namespace fd::render
