#include "formdraw/render/form_images.h"

namespace fd::render {

void PrepareFormImages(fmdraw::session::WorkArea&) {}

void DrawStaticImage(fmdraw::session::WorkArea&, const std::uint8_t*, const draw::FormScale&) {}

}  // namespace fd::render
