// Tests only: a printed PNG page read back with cairo's PNG reader, as 0x00RRGGBB pixels.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace fmtest {

struct PngPage {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // row-major from the top row
  [[nodiscard]] uint32_t At(int x, int y) const {
    return x < 0 || y < 0 || x >= width || y >= height ? 0xFFFFFFu
                                                       : pixels[static_cast<std::size_t>(y) * width + x];
  }
  // A pixel that is clearly not white (every channel below the middle).
  [[nodiscard]] bool Dark(int x, int y) const {
    const uint32_t c = At(x, y);
    return ((c >> 16) & 0xFF) < 128 && ((c >> 8) & 0xFF) < 128 && (c & 0xFF) < 128;
  }
};

inline PngPage ReadPngPage(const std::filesystem::path& file) {
  PngPage page;
  cairo_surface_t* png = cairo_image_surface_create_from_png(file.c_str());
  if (cairo_surface_status(png) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(png);
    page.width = cairo_image_surface_get_width(png);
    page.height = cairo_image_surface_get_height(png);
    const int stride = cairo_image_surface_get_stride(png);
    const unsigned char* data = cairo_image_surface_get_data(png);
    page.pixels.resize(static_cast<std::size_t>(page.width) * page.height);
    for (int y = 0; y < page.height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<std::size_t>(y) * stride);
      for (int x = 0; x < page.width; ++x) page.pixels[static_cast<std::size_t>(y) * page.width + x] = row[x] & 0xFFFFFF;
    }
  }
  cairo_surface_destroy(png);
  return page;
}

}  // namespace fmtest
