// Printing images on a session's page: a free image at a position (FmPrintImage), an
// image stretched into a named image field of the current form (FmPrintImageField), and
// the static image objects of a form for the form pass: TIFF images converted once per
// slot load into temporary bitmap copies, drawn on every pass, deleted when the form
// leaves its slot (release hook of the form store) or the session ends.
// The caller has checked that the session is open.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formdraw/session/work_area.h"

namespace fd::image {

inline constexpr int kBadResolution = -2;
inline constexpr int kNoImageField = -3;
inline constexpr int kNoTempName = -10;
inline constexpr int kConversionFailed = -11;

// FmPrintImage: resolution 1..1000 (else -2), (x, y) in 0.01 mm; the DrawBitMap result,
// or -10 / -11 from the TIFF conversion.
int PrintImage(fmdraw::session::WorkArea& area, int32_t resolution, int32_t x, int32_t y,
               std::string_view fileName);

// FmPrintImageField: -3 without such a field, -2 when the file is not found, else as
// PrintImage.
int PrintImageField(fmdraw::session::WorkArea& area, std::string_view fieldName,
                    std::string_view fileName);

// Converts the TIFF images of the form in `slot` that have no copy yet; failures leave
// the image without a copy (the next call tries again). Installs the release hook that
// deletes the slot's copies when the slot is released.
void PreconvertFormImages(fmdraw::session::WorkArea& area, int slot);

// Position of the form pass: twips become dots as
// (v * magnification * 10) / (14400 / dpi) / 100 + offset in dots.
struct FormPassGeometry {
  int32_t magnification = 100;
  int32_t dpi = 0;
  int32_t xOffsetDots = 0;
  int32_t yOffsetDots = 0;
};

// Draws one image record (154 bytes) of the form pass; returns the DrawBitMap result
// (the form pass does not report it), 0 for a record that is not drawn.
int DrawFormImage(fmdraw::session::WorkArea& area, const uint8_t* record,
                  const FormPassGeometry& geometry);

// Deletes the copies of the form in `slot` and clears their numbers.
void ReleaseFormImages(fmdraw::session::WorkArea& area, int slot);

// The file name an image record holds (at most 128 bytes, ends at a NUL).
std::string ImageRecordName(const uint8_t* record);

}  // namespace fd::image
