#include "formdraw/image/image_printer.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>

#include "fmimg/fmimg32.h"
#include "formdraw/form/file_search.h"
#include "formdraw/form/form_format.h"
#include "formdraw/image/draw_bitmap.h"
#include "formdraw/image/temp_copies.h"
#include "formdraw/session/page_cycle.h"
#include "formdraw/session/units.h"

namespace fd::image {
namespace {

namespace fs = fmdraw::session;
namespace ff = fmdraw::form;

// Image record (154 bytes).
constexpr std::size_t kImageCorners = 4;  // four int32
constexpr std::size_t kImageNameLength = 24;
constexpr std::size_t kImageName = 26;
constexpr std::size_t kImageNameBytes = 128;
// Image field record (36 bytes).
constexpr std::size_t kFieldCorners = 8;  // four int16
constexpr std::size_t kFieldName = 16;
constexpr std::size_t kFieldNameBytes = 20;

constexpr int32_t kMaxResolution = 1000;

// DrawBitMap changes the device's colours and modes: the session's cached pen, pattern
// and font are made again by their next setting call, as after a colour change.
void ForgetCachedObjects(fs::WorkArea& area) {
  area.drawing.lineApplied = area.drawing.patternApplied = area.drawing.fontApplied = false;
}

// A TIFF file converted into a claimed temporary copy, deleted when this goes away.
class ConvertedCopy {
 public:
  ConvertedCopy() = default;
  ConvertedCopy(const ConvertedCopy&) = delete;
  ConvertedCopy& operator=(const ConvertedCopy&) = delete;
  ~ConvertedCopy() {
    if (!path_.empty()) DeleteTempCopy(path_);
  }
  // 0, -10 (no temporary name) or -11 (the conversion failed; the copy is deleted).
  int Convert(const std::string& source, std::string_view tempDirectory) {
    auto copy = ClaimTempCopy(tempDirectory);
    if (!copy) return kNoTempName;
    path_ = copy->path;
    return Tiff2Bmp(source.c_str(), path_.c_str()) == 0 ? 0 : kConversionFailed;
  }
  [[nodiscard]] const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Draws `path` (a TIFF through a temporary copy) with DrawBitMap.
int DrawPath(fs::WorkArea& area, const std::string& path, DrawBitmapRequest request) {
  ConvertedCopy copy;
  if (IsTiffName(path)) {
    const std::string source = ff::ExistingFile(path).value_or(path);
    if (int rc = copy.Convert(source, area.tempDirectory); rc != 0) return rc;
    request.fileName = copy.Path();
  } else {
    request.fileName = path;
  }
  const int rc = DrawBitMap(area.device.get(), request);
  ForgetCachedObjects(area);
  return rc;
}

const uint8_t* FindImageField(const fs::WorkArea& area, std::string_view name) {
  const ff::FormData* form = area.forms.CurrentForm();
  if (form == nullptr || name.size() > kFieldNameBytes) return nullptr;
  const auto& array = form->arrays[ff::kImageField];
  const int count = form->counts[ff::kImageField];
  for (int i = 0; i < count; ++i) {
    if (static_cast<std::size_t>(i + 1) * ff::kRecordSize[ff::kImageField] > array.size()) break;
    const uint8_t* record = form->Record(ff::kImageField, i);
    const char* stored = reinterpret_cast<const char*>(record + kFieldName);
    if (std::string_view(stored, strnlen(stored, kFieldNameBytes)) == name) return record;
  }
  return nullptr;
}

// The file of an image field: the name as given (or found by the system search), else
// the last part of the name in the image directory.
std::optional<std::string> FindFieldFile(const fs::WorkArea& area, std::string_view fileName) {
  if (fileName.empty()) return std::nullopt;
  if (auto located = ff::LocateFile(fileName)) return located;
  if (area.imageDirectory.empty()) return std::nullopt;
  return ff::ExistingFile(JoinPath(area.imageDirectory, LastNamePart(fileName)));
}

int32_t PassDots(int64_t twips, int32_t magnification, int32_t dpi) {
  const int64_t factor = dpi > 0 ? 14400 / dpi : 0;
  if (factor <= 0) return 0;
  return static_cast<int32_t>(twips * magnification * 10 / factor / 100);
}

bool IsUsedImage(const uint8_t* record) { return ff::GetI16(record) == 1; }
int CopyNumber(const uint8_t* record) { return ff::GetI16(record + ff::kImageTempWordOffset); }

template <typename Visit>
void ForEachImage(ff::FormData& form, Visit&& visit) {
  auto& array = form.arrays[ff::kImage];
  const int count = form.counts[ff::kImage];
  for (int i = 0; i < count; ++i) {
    if (static_cast<std::size_t>(i + 1) * ff::kRecordSize[ff::kImage] > array.size()) break;
    visit(form.Record(ff::kImage, i));
  }
}

void ReleaseSlotCopies(const std::string& tempDirectory, ff::FormSlot& slot) {
  if (!slot.used) return;
  ForEachImage(slot.form, [&](uint8_t* record) {
    const int number = CopyNumber(record);
    if (!IsUsedImage(record) || number < 1 || !IsTiffName(ImageRecordName(record))) return;
    DeleteTempCopy(TempCopyPath(tempDirectory, number));
    ff::PutI16(record + ff::kImageTempWordOffset, 0);
  });
}

void InstallReleaseHook(fs::WorkArea& area) {
  // The work area owns the form store, so it outlives every call of the hook.
  fs::WorkArea* owner = &area;
  area.forms.SetReleaseHook(
      [owner](ff::FormSlot& slot) { ReleaseSlotCopies(owner->tempDirectory, slot); });
}

// Converts one static TIFF image; stores the copy's number on success.
void Preconvert(fs::WorkArea& area, uint8_t* record) {
  const std::string name = ImageRecordName(record);
  if (!IsUsedImage(record) || CopyNumber(record) >= 1 || !IsTiffName(name)) return;
  std::optional<std::string> source = ff::LocateFile(name);
  if (!source && !area.imageDirectory.empty()) {
    source = ff::ExistingFile(JoinPath(area.imageDirectory, LastNamePart(name)));
  }
  if (!source) return;
  auto copy = ClaimTempCopy(area.tempDirectory);
  if (!copy) return;
  if (Tiff2Bmp(source->c_str(), copy->path.c_str()) != 0) {
    DeleteTempCopy(copy->path);
    return;
  }
  ff::PutI16(record + ff::kImageTempWordOffset, copy->number);
}

}  // namespace

std::string ImageRecordName(const uint8_t* record) {
  const int length = std::clamp<int>(ff::GetI16(record + kImageNameLength), 0, kImageNameBytes);
  const char* name = reinterpret_cast<const char*>(record + kImageName);
  return std::string(name, strnlen(name, static_cast<std::size_t>(length)));
}

int PrintImage(fs::WorkArea& area, int32_t resolution, int32_t x, int32_t y,
               std::string_view fileName) {
  if (resolution < 1 || resolution > kMaxResolution) return kBadResolution;
  fs::StartPageIfNeeded(area);
  const auto& form = area.forms.CurrentSettings();
  DrawBitmapRequest request;
  request.magnification = form.magnification;
  request.deviceResolution = area.dpi;
  request.imageResolution = resolution;
  request.x = fs::HundredthsToDots(fs::ApplyForm(x, form.magnification, form.xOffset), area.dpi);
  request.y = fs::HundredthsToDots(fs::ApplyForm(y, form.magnification, form.yOffset), area.dpi);
  // With an image directory, the image is always taken from there by its last part.
  const std::string path = area.imageDirectory.empty()
                               ? std::string(fileName)
                               : JoinPath(area.imageDirectory, LastNamePart(fileName));
  return DrawPath(area, path, request);
}

int PrintImageField(fs::WorkArea& area, std::string_view fieldName, std::string_view fileName) {
  fs::StartPageIfNeeded(area);
  const uint8_t* field = FindImageField(area, fieldName);
  if (field == nullptr) return kNoImageField;
  const int32_t x1 = fs::TwipsToHundredths(ff::GetI16(field + kFieldCorners));
  const int32_t y1 = fs::TwipsToHundredths(ff::GetI16(field + kFieldCorners + 2));
  const int32_t x2 = fs::TwipsToHundredths(ff::GetI16(field + kFieldCorners + 4));
  const int32_t y2 = fs::TwipsToHundredths(ff::GetI16(field + kFieldCorners + 6));
  const auto path = FindFieldFile(area, fileName);
  if (!path) return kFileNotFound;
  const auto& form = area.forms.CurrentSettings();
  DrawBitmapRequest request;
  request.magnification = form.magnification;
  request.deviceResolution = area.dpi;
  request.imageResolution = 0;
  request.x = fs::HundredthsToDots(fs::ApplyForm(x1, form.magnification, form.xOffset), area.dpi);
  request.y = fs::HundredthsToDots(fs::ApplyForm(y1, form.magnification, form.yOffset), area.dpi);
  // The magnification of the size is applied by DrawBitMap.
  request.width = fs::HundredthsToDots(x2 - x1, area.dpi);
  request.height = fs::HundredthsToDots(y2 - y1, area.dpi);
  return DrawPath(area, *path, request);
}

void PreconvertFormImages(fs::WorkArea& area, int slot) {
  if (slot < 0 || slot >= ff::kMaxSlots) return;
  InstallReleaseHook(area);
  ff::FormSlot& s = area.forms.Slot(slot);
  if (!s.used) return;
  ForEachImage(s.form, [&](uint8_t* record) { Preconvert(area, record); });
}

int DrawFormImage(fs::WorkArea& area, const uint8_t* record, const FormPassGeometry& g) {
  if (!IsUsedImage(record)) return 0;
  const std::string name = ImageRecordName(record);
  std::string path = name;
  if (IsTiffName(name)) {
    const int number = CopyNumber(record);
    if (number < 1) return 0;  // not converted: left out
    path = TempCopyPath(area.tempDirectory, number);
  }
  const int32_t x1 = ff::GetI32(record + kImageCorners), y1 = ff::GetI32(record + kImageCorners + 4);
  const int32_t x2 = ff::GetI32(record + kImageCorners + 8), y2 = ff::GetI32(record + kImageCorners + 12);
  DrawBitmapRequest request;
  request.magnification = g.magnification;
  request.deviceResolution = g.dpi;
  request.imageResolution = 0;
  request.x = PassDots(x1, g.magnification, g.dpi) + g.xOffsetDots;
  request.y = PassDots(y1, g.magnification, g.dpi) + g.yOffsetDots;
  // The size at 100 %: DrawBitMap applies the magnification to it, so the picture fills
  // the rectangle the form pass gives the record.
  request.width = PassDots(int64_t{x2} - x1, 100, g.dpi);
  request.height = PassDots(int64_t{y2} - y1, 100, g.dpi);
  request.fileName = path;
  int rc = DrawBitMap(area.device.get(), request);
  if (rc == kFileNotFound && !area.imageDirectory.empty()) {
    const std::string retry = JoinPath(area.imageDirectory, LastNamePart(path));
    request.fileName = retry;
    rc = DrawBitMap(area.device.get(), request);
  }
  return rc;
}

void ReleaseFormImages(fs::WorkArea& area, int slot) {
  if (slot < 0 || slot >= ff::kMaxSlots) return;
  ReleaseSlotCopies(area.tempDirectory, area.forms.Slot(slot));
}

}  // namespace fd::image
