// Exports of the barcode family: the barcode settings, the five symbologies drawn into a
// rectangle, and barcode fields of the current form.
#include <array>
#include <span>

#include "formdraw/abi/abi_guard.h"
#include "formdraw/barcode/barcode_draw.h"
#include "formdraw/session/session_record.h"

using namespace fmdraw;
using fmdraw::abi::Guarded;
namespace bc = fd::barcode;

namespace {

int32_t Draw(bc::Symbology s, int32_t direction, bool addCheck, int32_t x1, int32_t y1,
             int32_t x2, int32_t y2, const char* text, char* encoded, int32_t* record) {
  session::WorkArea* area = session::OpenWorkArea(record);
  if (area == nullptr) return -1;
  bc::BarcodeRequest r;
  r.symbology = s;
  r.direction = direction;
  r.addCheck = addCheck;
  r.x1 = x1;
  r.y1 = y1;
  r.x2 = x2;
  r.y2 = y2;
  r.text = text == nullptr ? std::string_view() : std::string_view(text);
  return bc::DrawBarcode(*area, r, encoded);
}

}  // namespace

extern "C" {

FMDRAW_API int32_t FmSetBarcode(int32_t minimumWidth, int32_t* session) {
  return Guarded(-1, [&]() -> int32_t {
    session::WorkArea* area = session::OpenWorkArea(session);
    if (area == nullptr) return -1;
    area->barcode.minimumNarrow = static_cast<int16_t>(minimumWidth);
    return 0;
  });
}

FMDRAW_API int32_t FmSetBarInfo(const int32_t* info, int32_t* session) {
  return Guarded(-1, [&]() -> int32_t {
    session::WorkArea* area = session::OpenWorkArea(session);
    if (area == nullptr) return -1;
    if (info == nullptr) return -2;
    // Only the values the selector uses are read from the caller's array.
    const std::size_t count = 1 + bc::BarInfoValueCount(info[0]);
    bc::SetBarInfo(*area, std::span<const int32_t>(info, count));
    return 0;
  });
}

FMDRAW_API int32_t FmSetBarSize(int32_t selector, int32_t value1, int32_t value2, int32_t value3,
                                int32_t value4, int32_t value5, int32_t value6, int32_t value7,
                                int32_t value8, int32_t* session) {
  const std::array<int32_t, 9> info = {selector, value1, value2, value3, value4,
                                       value5,   value6, value7, value8};
  return FmSetBarInfo(info.data(), session);
}

FMDRAW_API int32_t FmBarcodeJan13(int32_t direction, int32_t x1, int32_t y1, int32_t x2,
                                  int32_t y2, const char* text, char* encoded, int32_t* session) {
  return Guarded(-3, [&]() -> int32_t {
    return Draw(bc::Symbology::kJan13, direction, false, x1, y1, x2, y2, text, encoded, session);
  });
}

FMDRAW_API int32_t FmBarcodeJan8(int32_t direction, int32_t x1, int32_t y1, int32_t x2,
                                 int32_t y2, const char* text, char* encoded, int32_t* session) {
  return Guarded(-3, [&]() -> int32_t {
    return Draw(bc::Symbology::kJan8, direction, false, x1, y1, x2, y2, text, encoded, session);
  });
}

FMDRAW_API int32_t FmBarcode39(int32_t direction, int32_t checkFlag, int32_t x1, int32_t y1,
                               int32_t x2, int32_t y2, const char* text, char* encoded,
                               int32_t* session) {
  return Guarded(-3, [&]() -> int32_t {
    return Draw(bc::Symbology::kCode39, direction, checkFlag == 1, x1, y1, x2, y2, text, encoded,
                session);
  });
}

FMDRAW_API int32_t FmBarcodeITF(int32_t direction, int32_t x1, int32_t y1, int32_t x2,
                                int32_t y2, const char* text, char* encoded, int32_t* session) {
  return Guarded(-3, [&]() -> int32_t {
    return Draw(bc::Symbology::kItf, direction, false, x1, y1, x2, y2, text, encoded, session);
  });
}

FMDRAW_API int32_t FmBarcodeNW7(int32_t direction, int32_t checkFlag, int32_t x1, int32_t y1,
                                int32_t x2, int32_t y2, const char* text, char* encoded,
                                int32_t* session) {
  return Guarded(-3, [&]() -> int32_t {
    return Draw(bc::Symbology::kNw7, direction, checkFlag == 1, x1, y1, x2, y2, text, encoded,
                session);
  });
}

FMDRAW_API int32_t FmPrintBarcodeField(const char* fieldName, const char* text, char* encoded,
                                       int32_t* session) {
  return Guarded(-3, [&]() -> int32_t {
    session::WorkArea* area = session::OpenWorkArea(session);
    if (area == nullptr) return -1;
    if (fieldName == nullptr) return -3;
    return bc::PrintBarcodeField(*area, fieldName,
                                 text == nullptr ? std::string_view() : std::string_view(text),
                                 encoded);
  });
}

}  // extern "C"
