#include "formdraw/session/device_factory.h"

#include <cstdlib>
#include <string_view>
#include <thread>

#include "formdraw/device/cairo_device.h"
#include "formdraw/device/pipelined_device.h"
#include "formdraw/device/trace_device.h"

namespace fmdraw::session {

namespace {

// Largest page we agree to make (about 2 m at 600 dpi); guards against garbage settings.
constexpr int64_t kMaxPageDots = 50000;

// A PDF page's output is most of its time: it is drawn on a worker thread while the
// caller lays out the next page, unless the machine has one core or FMDRAW_PAGE_WORKER=0
// asks for drawing on the caller's thread.
bool PageWorkerWanted() {
  const char* setting = std::getenv("FMDRAW_PAGE_WORKER");
  if (setting != nullptr && std::string_view(setting) == "0") return false;
  return std::thread::hardware_concurrency() != 1;
}

}  // namespace

std::unique_ptr<device::Device> MakePrinterDevice(const PrinterEntry& printer,
                                                  const PrinterValues& values) {
  if (printer.dpi < 1 || printer.dpi > kMaxPrinterDpi) return nullptr;
  auto output = device::MakeOutputForPort(printer.port, std::max<int>(1, values[kCopies]));
  if (!output) return nullptr;
  PaperSize paper = PageSize(values);
  device::DeviceCaps caps;
  caps.dpiX = caps.dpiY = printer.dpi;
  caps.pageWidth = static_cast<int32_t>(int64_t{paper.width} * printer.dpi / 254);
  caps.pageHeight = static_cast<int32_t>(int64_t{paper.height} * printer.dpi / 254);
  if (caps.pageWidth < 1 || caps.pageHeight < 1 || caps.pageWidth > kMaxPageDots ||
      caps.pageHeight > kMaxPageDots)
    return nullptr;
  if (values[kColor] == kMonochrome) {
    caps.planes = 1;
    caps.bitsPerPixel = 1;
  }
  switch (printer.format) {
    case OutputFormat::kTrace:
      return std::make_unique<device::TraceDevice>(caps, std::move(output));
    case OutputFormat::kPng:
      return std::make_unique<device::CairoDevice>(device::CairoDevice::Kind::kPng, caps,
                                                   std::move(output));
    case OutputFormat::kPdf:
      break;
  }
  auto pdf = std::make_unique<device::CairoDevice>(device::CairoDevice::Kind::kPdf, caps, std::move(output));
  if (!PageWorkerWanted()) return pdf;
  return std::make_unique<device::PipelinedDevice>(std::move(pdf));
}

std::unique_ptr<device::Device> MakeDisplayDevice(int32_t width, int32_t height) {
  if (width < 1 || height < 1 || width > kMaxPageDots || height > kMaxPageDots) return nullptr;
  device::DeviceCaps caps;
  caps.dpiX = caps.dpiY = kScreenDpi;
  caps.pageWidth = width;
  caps.pageHeight = height;
  return std::make_unique<device::CairoDevice>(device::CairoDevice::Kind::kImage, caps, nullptr);
}

}  // namespace fmdraw::session
