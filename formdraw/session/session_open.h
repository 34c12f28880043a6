// Opening a print session (FmInitName and its variants) and giving printer settings
// before opening (FmSetPrinterDriver). Results are the codes of the FmInit family.
#pragma once

#include <cstdint>
#include <string_view>

#include "formdraw/session/printer_settings.h"

namespace fmdraw::session {

struct OpenArguments {
  int32_t window = 0;
  int32_t dc = 0;
  int32_t mode = 1;  // 1 printer, 2 display, 3 printer with an output file, 4 and 5 printer
  int32_t magnification = 100;
  int32_t xOffset = 0;
  int32_t yOffset = 0;
  int32_t left = 0, top = 0, width = 0, height = 0;  // display window, 0.01 mm
  const char* formFile = nullptr;
  const char* outputFile = nullptr;
  const char* documentName = nullptr;
};

int OpenSession(int32_t* record, const OpenArguments& args);

// FmSetPrinterDriver: 0, -1 when the record is already open or has settings, -9.
int GivePrinterSettings(int32_t* record, const SettingsBlock& block);

// FmInitIndirect(Name): the parameter record's fields as arguments; `formField` is the
// raw 130-byte name field. Modes 3 to 5 become 1; the name ends at its first byte below 33.
// The call allocates its own work area, so any failure leaves the record zero.
int OpenSessionIndirect(int32_t* record, const OpenArguments& args, const SettingsBlock& block,
                        const char* formField, std::size_t formFieldSize);

}  // namespace fmdraw::session
