// Exports of the image family: free images, image fields and the bitmap primitive.
#include <string_view>

#include "formdraw/abi/abi_guard.h"
#include "formdraw/image/draw_bitmap.h"
#include "formdraw/image/image_printer.h"
#include "formdraw/session/session_record.h"

using namespace fmdraw;
using fmdraw::abi::Guarded;

namespace {

std::string_view View(const char* s) { return s == nullptr ? std::string_view() : std::string_view(s); }

}  // namespace

extern "C" {

FMDRAW_API int32_t FmPrintImage(int32_t resolution, int32_t x, int32_t y, const char* fileName,
                                int32_t* session) {
  return Guarded(-9, [&]() -> int32_t {
    session::WorkArea* area = session::OpenWorkArea(session);
    if (area == nullptr) return -1;
    return fd::image::PrintImage(*area, resolution, x, y, View(fileName));
  });
}

FMDRAW_API int32_t FmPrintImageField(const char* fieldName, const char* fileName,
                                     int32_t* session) {
  return Guarded(-9, [&]() -> int32_t {
    session::WorkArea* area = session::OpenWorkArea(session);
    if (area == nullptr) return -1;
    return fd::image::PrintImageField(*area, View(fieldName), View(fileName));
  });
}

// The library has no handle table of device contexts: a caller's dc names no device it
// can draw on, so after the file has been found and read the stretch fails (-7). Inside
// the library the image printer calls the primitive with the session's device.
FMDRAW_API int32_t DrawBitMap(int32_t window, int32_t dc, int32_t magnification,
                              int32_t deviceResolution, const char* fileName,
                              int32_t imageResolution, int32_t x, int32_t y, int32_t width,
                              int32_t height, int32_t fileOffset) {
  (void)window;
  (void)dc;
  return Guarded(-8, [&]() -> int32_t {
    fd::image::DrawBitmapRequest request;
    request.magnification = magnification;
    request.deviceResolution = deviceResolution;
    request.fileName = View(fileName);
    request.imageResolution = imageResolution;
    request.x = x;
    request.y = y;
    request.width = width;
    request.height = height;
    request.fileOffset = fileOffset;
    return fd::image::DrawBitMap(nullptr, request);
  });
}

}  // extern "C"
