#include "formdraw/device/png_writer.h"

#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace fmdraw::device {
namespace {

struct Picture {
  const unsigned char* data;
  int width, height, stride;
};

bool IsGrey(const Picture& p) {
  for (int y = 0; y < p.height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(p.data + static_cast<std::ptrdiff_t>(y) * p.stride);
    for (int x = 0; x < p.width; ++x) {
      const uint32_t px = row[x];
      if (((px >> 16) & 0xFF) != (px & 0xFF) || ((px >> 8) & 0xFF) != (px & 0xFF)) return false;
    }
  }
  return true;
}

// One row in PNG order: grey bytes, or red, green, blue (Cairo keeps 0x00RRGGBB words).
void PackRow(const Picture& p, int y, bool grey, unsigned char* out) {
  const auto* row = reinterpret_cast<const uint32_t*>(p.data + static_cast<std::ptrdiff_t>(y) * p.stride);
  if (grey) {
    for (int x = 0; x < p.width; ++x) out[x] = static_cast<unsigned char>(row[x]);
    return;
  }
  for (int x = 0; x < p.width; ++x, out += 3) {
    const uint32_t px = row[x];
    out[0] = static_cast<unsigned char>(px >> 16);
    out[1] = static_cast<unsigned char>(px >> 8);
    out[2] = static_cast<unsigned char>(px);
  }
}

struct ErrorState {
  bool noMemory = false;
};

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
  auto* state = static_cast<ErrorState*>(png_get_error_ptr(png));
  if (state != nullptr && message != nullptr && std::strstr(message, "memory") != nullptr) state->noMemory = true;
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// libpng reports errors by a long jump back here: this frame holds nothing that needs
// destroying, the caller owns the buffers and the file.
bool WriteImage(png_structp png, png_infop info, std::FILE* file, const Picture& p, bool grey,
                unsigned char* row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(p.width), static_cast<png_uint_32>(p.height), 8,
               grey ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, Z_BEST_SPEED);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_write_info(png, info);
  for (int y = 0; y < p.height; ++y) {
    PackRow(p, y, grey, row);
    png_write_row(png, row);
  }
  png_write_end(png, info);
  return true;
}

}  // namespace

PngResult WritePng(cairo_surface_t* picture, const std::string& path) {
  cairo_surface_flush(picture);
  const Picture p{cairo_image_surface_get_data(picture), cairo_image_surface_get_width(picture),
                  cairo_image_surface_get_height(picture), cairo_image_surface_get_stride(picture)};
  if (p.data == nullptr || p.width <= 0 || p.height <= 0) return PngResult::kWriteFailed;
  const bool grey = IsGrey(p);
  std::vector<unsigned char> row(static_cast<std::size_t>(p.width) * (grey ? 1 : 3));
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return PngResult::kWriteFailed;
  ErrorState errors;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &errors, OnError, OnWarning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  const bool written = info != nullptr && WriteImage(png, info, file, p, grey, row.data());
  png_destroy_write_struct(&png, &info);
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return PngResult::kOk;
  return errors.noMemory || info == nullptr ? PngResult::kNoMemory : PngResult::kWriteFailed;
}

}  // namespace fmdraw::device
