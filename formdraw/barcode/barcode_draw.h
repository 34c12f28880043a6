// Drawing barcodes on a session's page: the checks and completed text of a symbology,
// the rectangle through the current form's magnification and offsets, the bar layout in
// device dots, and the bars as filled boxes in the session's drawing colour. Also the
// barcode settings (minimum narrow width, bar gain, explicit width sets) and printing a
// barcode field of the current form. The caller has checked that the session is open.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "formdraw/barcode/symbology.h"
#include "formdraw/session/work_area.h"

namespace fd::barcode {

// What one barcode call draws: coordinates in 0.01 mm before the current form's
// magnification and offsets. Direction 2 runs the code from top to bottom.
struct BarcodeRequest {
  Symbology symbology = Symbology::kCode39;
  int32_t direction = 1;
  bool addCheck = false;  // Code 39 and NW-7
  int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  std::string_view text;
};

// Starts the page, checks the text (kBadLength / kBadCharacter, nothing drawn), copies
// the completed text with its NUL into `encoded` (when not null) and draws the bars.
// Returns 0 or the check's code. The session's pen, brush and settings are as before.
int DrawBarcode(fmdraw::session::WorkArea& area, const BarcodeRequest& request, char* encoded);

// FmSetBarInfo: info[0] = -1 .. -5 stores the following values (as many as the set of
// that selector has: 5, 8, 8, 4, 5) as 16-bit numbers; any other info[0] sets the
// minimum narrow width to info[0] and the bar gain to info[1].
void SetBarInfo(fmdraw::session::WorkArea& area, std::span<const int32_t> info);

// The number of values that SetBarInfo reads after the selector info[0].
[[nodiscard]] std::size_t BarInfoValueCount(int32_t selector);

// FmPrintBarcodeField: 0, -3 (no barcode field of that name), -4 (character), -5
// (length). An unknown symbology code draws nothing and gives 0.
int PrintBarcodeField(fmdraw::session::WorkArea& area, std::string_view fieldName,
                      std::string_view text, char* encoded);

}  // namespace fd::barcode
