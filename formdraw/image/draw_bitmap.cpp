#include "formdraw/image/draw_bitmap.h"

#include <unistd.h>

#include <climits>
#include <filesystem>
#include <optional>
#include <string>

#include "formdraw/form/file_search.h"
#include "formdraw/image/bitmap_file.h"
#include "platform/codepage.h"

namespace fd::image {
namespace {

namespace dev = fmdraw::device;


// The bare name of the fallback search: the part after the last separator at or before
// the second-last byte; none when that separator is missing or stands before position 2.
std::optional<std::string> FallbackBareName(std::string_view name) {
  if (name.size() < 2) return std::nullopt;
  std::optional<std::size_t> last;
  for (std::size_t i = 0; i + 1 < name.size(); ++i) {
    if (platform::IsCp932LeadByte(static_cast<unsigned char>(name[i]))) {
      ++i;
      continue;
    }
    if (name[i] == '\\' || name[i] == '/') last = i;
  }
  if (!last || *last < 2) return std::nullopt;
  return std::string(name.substr(*last + 1));
}

std::optional<std::string> FindBitmapFile(std::string_view fileName) {
  if (auto given = fmdraw::form::ExistingFile(fileName)) return given;
  auto bare = FallbackBareName(fileName);
  if (!bare) return std::nullopt;
  return fmdraw::form::SystemFileSearch(*bare);
}

bool FitsInt32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

}  // namespace

bool TargetSize(int32_t bitmapWidth, int32_t bitmapHeight, const DrawBitmapRequest& r,
                int32_t& width, int32_t& height) {
  // Wide intermediates: the products overflow 32 bits for large images at high
  // resolutions, which would draw a wrapped size.
  int64_t w = 0, h = 0;
  if (r.imageResolution >= 1) {
    const int64_t scale = int64_t{r.deviceResolution} * r.magnification;
    w = bitmapWidth * scale / r.imageResolution / 100;
    h = bitmapHeight * scale / r.imageResolution / 100;
  } else {
    w = int64_t{r.width} * r.magnification / 100;
    h = int64_t{r.magnification} * r.height / 100;
  }
  if (!FitsInt32(w) || !FitsInt32(h)) return false;
  width = static_cast<int32_t>(w);
  height = static_cast<int32_t>(h);
  return true;
}

int DrawBitMap(dev::Device* device, const DrawBitmapRequest& request) {
  if (request.fileName.empty()) return kFileNotFound;
  const auto path = FindBitmapFile(request.fileName);
  if (!path) return kFileNotFound;
  BitmapResult read = ReadBitmapFile(*path, request.fileOffset);
  if (read.code != 0) return read.code;
  if (device == nullptr) return kStretchFailed;

  // A picture is copied as it is: transparent background, black text on white.
  device->SetBkMode(dev::BkMode::kTransparent);
  device->SetTextColor(dev::kBlack);
  device->SetBkColor(dev::kWhite);

  int32_t width = 0, height = 0;
  if (!TargetSize(read.image.width, read.image.height, request, width, height))
    return kStretchFailed;
  const int64_t right = int64_t{request.x} + width, bottom = int64_t{request.y} + height;
  if (!FitsInt32(right) || !FitsInt32(bottom)) return kStretchFailed;
  dev::Bitmap bitmap;
  bitmap.width = read.image.width;
  bitmap.height = read.image.height;
  bitmap.pixels = std::move(read.image.pixels);
  const dev::Rect target{request.x, request.y, static_cast<int32_t>(right),
                         static_cast<int32_t>(bottom)};
  return device->StretchBitmap(bitmap, target) ? 0 : kStretchFailed;
}

}  // namespace fd::image
