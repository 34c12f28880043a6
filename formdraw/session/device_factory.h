// Makes the drawing device of a session: for a printer, the backend of its Format
// (pdf, png, trace) on the page of its settings at its Dpi, delivering to its port; for
// a display, an in-memory image of the window's size.
#pragma once

#include <memory>

#include "formdraw/device/device.h"
#include "formdraw/session/printer_registry.h"

namespace fmdraw::session {

inline constexpr int32_t kScreenDpi = 96;
// Finest printer resolution accepted. Positions are scaled through 2540000 / dpi, which
// must stay above 0; real devices stay far below this.
inline constexpr int32_t kMaxPrinterDpi = 9600;

// nullptr when the port is not usable or the page cannot be made.
std::unique_ptr<device::Device> MakePrinterDevice(const PrinterEntry& printer,
                                                  const PrinterValues& values);

// An image device of width x height dots at the screen resolution; nullptr when either
// is not positive.
std::unique_ptr<device::Device> MakeDisplayDevice(int32_t width, int32_t height);

}  // namespace fmdraw::session
