// Exports of the session family: opening (direct and indirect), printer settings before
// opening, page end, form change, closing, aborting and raw file printing.
#include <cstring>

#include "formdraw/abi/abi_guard.h"
#include "formdraw/session/page_cycle.h"
#include "formdraw/session/raw_print.h"
#include "formdraw/session/session_close.h"
#include "formdraw/session/session_open.h"
#include "formdraw/session/session_record.h"

using namespace fmdraw;
using fmdraw::abi::Guarded;

namespace {

session::OpenArguments Arguments(int32_t window, int32_t dc, int32_t mode, int32_t magnification,
                                 int32_t xOffset, int32_t yOffset, int32_t left, int32_t top,
                                 int32_t width, int32_t height) {
  session::OpenArguments a;
  a.window = window;
  a.dc = dc;
  a.mode = mode;
  a.magnification = magnification;
  a.xOffset = xOffset;
  a.yOffset = yOffset;
  a.left = left;
  a.top = top;
  a.width = width;
  a.height = height;
  return a;
}

session::SettingsBlock BlockOf(const FmInitParams& p) {
  session::SettingsBlock block;
  block.mask = p.mask;
  for (int i = 0; i < session::kSettingCount; ++i) block.values[i] = p.settings[i];
  return block;
}

int32_t InitIndirect(const FmInitParams* p, int32_t* session, const char* documentName) {
  if (p == nullptr) return -2;
  auto a = Arguments(p->window, p->dc, p->mode, p->magnification, p->xOffset, p->yOffset,
                     p->left, p->top, p->width, p->height);
  a.documentName = documentName;
  return session::OpenSessionIndirect(session, a, BlockOf(*p), p->formFile, 129);
}

}  // namespace

extern "C" {

FMDRAW_API int32_t FmInitName(int32_t window, int32_t dc, int32_t mode, int32_t magnification,
                              int32_t xOffset, int32_t yOffset, int32_t left, int32_t top,
                              int32_t width, int32_t height, const char* formFile,
                              const char* outputFile, int32_t* session,
                              const char* documentName) {
  return Guarded(-9, [&]() -> int32_t {
    auto a = Arguments(window, dc, mode, magnification, xOffset, yOffset, left, top, width, height);
    a.formFile = formFile;
    a.outputFile = outputFile;
    a.documentName = documentName;
    return session::OpenSession(session, a);
  });
}

FMDRAW_API int32_t FmInit(int32_t window, int32_t dc, int32_t mode, int32_t magnification,
                          int32_t xOffset, int32_t yOffset, int32_t left, int32_t top,
                          int32_t width, int32_t height, const char* formFile,
                          const char* outputFile, int32_t* session) {
  return FmInitName(window, dc, mode, magnification, xOffset, yOffset, left, top, width, height,
                    formFile, outputFile, session, "");
}

FMDRAW_API int32_t FmInitIndirect(const FmInitParams* parameters, int32_t* session) {
  return Guarded(-9, [&]() -> int32_t { return InitIndirect(parameters, session, ""); });
}

FMDRAW_API int32_t FmInitIndirectName(const FmInitParams* parameters, int32_t* session,
                                      const char* documentName) {
  return Guarded(-9, [&]() -> int32_t { return InitIndirect(parameters, session, documentName); });
}

FMDRAW_API int32_t FmSetPrinterDriver(int32_t mask, int32_t orientation, int32_t paperSize,
                                      int32_t paperLength, int32_t paperWidth, int32_t scale,
                                      int32_t copies, int32_t defaultSource,
                                      int32_t printQuality, int32_t colour, int32_t duplex,
                                      int32_t yResolution, int32_t ttOption, int32_t* session) {
  return Guarded(-9, [&]() -> int32_t {
    session::SettingsBlock block;
    block.mask = static_cast<uint32_t>(mask);
    int32_t values[] = {orientation, paperSize, paperLength, paperWidth, scale, copies,
                        defaultSource, printQuality, colour, duplex, yResolution, ttOption};
    for (int i = 0; i < session::kSettingCount; ++i) block.values[i] = static_cast<int16_t>(values[i]);
    return session::GivePrinterSettings(session, block);
  });
}

FMDRAW_API int32_t FmPrintOut(int32_t* session) {
  return Guarded(-7, [&]() -> int32_t {
    session::WorkArea* area = session::OpenWorkArea(session);
    return area == nullptr ? -1 : session::EndPage(*area);
  });
}

FMDRAW_API int32_t FmChangeForm(const char* formFile, int32_t* session) {
  return Guarded(-5, [&]() -> int32_t { return session::ChangeForm(session, formFile); });
}

FMDRAW_API int32_t FmTerm(int32_t* session) {
  return Guarded(-5, [&]() -> int32_t { return session::CloseSession(session, false); });
}

FMDRAW_API int32_t FmAbort(int32_t* session) {
  return Guarded(-5, [&]() -> int32_t { return session::CloseSession(session, true); });
}

FMDRAW_API int32_t FmPrintFile(const char* fileName) {
  return Guarded(-7, [&]() -> int32_t { return session::PrintRawFile(fileName); });
}

}  // extern "C"
