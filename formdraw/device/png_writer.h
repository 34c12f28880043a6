// Writing a Cairo picture (RGB24) as a PNG file through libpng, tuned for speed: zlib
// level 1 and no row filter. A printed page is mostly long runs of white, which this
// still packs to about a fiftieth of the raw size, in a fifth of the time of the default
// settings. A picture without colour (every pixel grey, as on most pages) is written as
// 8-bit greyscale: a third of the data, and a reader gets the same pixels back.
// Stateless; safe to call from any thread for distinct pictures.
#pragma once

#include <cairo.h>

#include <string>

namespace fmdraw::device {

enum class PngResult { kOk, kNoMemory, kWriteFailed };

// Requires: `picture` is an RGB24 or ARGB32 image surface (alpha is not written).
[[nodiscard]] PngResult WritePng(cairo_surface_t* picture, const std::string& path);

}  // namespace fmdraw::device
