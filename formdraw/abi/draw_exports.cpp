// Exports of the drawing family: line, pattern and font settings, text and shapes. Each
// checks the session and hands over to the session's drawing calls (session/draw_calls.h).
#include <cstring>
#include <span>

#include "formdraw/abi/abi_guard.h"
#include "formdraw/session/draw_calls.h"
#include "formdraw/session/session_record.h"

using namespace fmdraw;
using fmdraw::abi::Guarded;

namespace {

// Runs `body` on the open session of `record`; -1 without one.
template <typename Body>
int32_t OnSession(int32_t* record, int32_t failure, Body&& body) {
  return Guarded(failure, [&]() -> int32_t {
    session::WorkArea* area = session::OpenWorkArea(record);
    if (area == nullptr) return -1;
    return body(*area);
  });
}

}  // namespace

extern "C" {

FMDRAW_API int32_t FmSetLine(int32_t style, int32_t width, int32_t* session) {
  return OnSession(session, -3, [&](session::WorkArea& a) { return session::SetLine(a, style, width); });
}

FMDRAW_API int32_t FmSetPattern(int32_t pattern, int32_t* session) {
  return OnSession(session, -3, [&](session::WorkArea& a) { return session::SetPattern(a, pattern); });
}

FMDRAW_API int32_t FmSetFont(int32_t width, int32_t height, int32_t face, int32_t italic,
                             int32_t bold, int32_t* session) {
  return OnSession(session, -3, [&](session::WorkArea& a) {
    return session::SetFont(a, width, height, face, italic, bold);
  });
}

FMDRAW_API int32_t FmSetKanjiFont(int32_t, int32_t, int32_t, int32_t* session) {
  return OnSession(session, -3, [](session::WorkArea&) { return 0; });
}

FMDRAW_API int32_t FmCreateFont(int32_t width, int32_t height, int32_t escapement, int32_t bold,
                                int32_t italic, int32_t charSet, int32_t pitch, int32_t family,
                                const char* faceName, int32_t* session) {
  return OnSession(session, -3, [&](session::WorkArea& a) -> int32_t {
    const std::size_t n = abi::BoundedLength(faceName, 31);
    if (n == 0 || n > 31) return -2;
    session::CreatedFontSetting s{width, height, escapement, bold,  italic,
                                  charSet, pitch, family, std::string(faceName, n)};
    return session::CreateFont(a, s);
  });
}

FMDRAW_API int32_t FmPrintText(int32_t x, int32_t y, int32_t extent, int32_t direction,
                               int32_t alignment, const char* text, int32_t* session) {
  return OnSession(session, -3, [&](session::WorkArea& a) {
    return session::PrintText(a, x, y, extent, direction, alignment,
                              text == nullptr ? std::string_view{} : std::string_view{text});
  });
}

FMDRAW_API int32_t FmPrintLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t* session) {
  return OnSession(session, -3, [&](session::WorkArea& a) { return session::PrintLine(a, x1, y1, x2, y2); });
}

FMDRAW_API int32_t FmPrintBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t radius,
                              int32_t* session) {
  return OnSession(session, -3, [&](session::WorkArea& a) {
    return session::PrintBox(a, x1, y1, x2, y2, radius);
  });
}

FMDRAW_API int32_t FmPrintPolygon(int32_t count, const int32_t* points, int32_t* session) {
  return OnSession(session, -2, [&](session::WorkArea& a) -> int32_t {
    if (count < 1 || points == nullptr) return -2;
    return session::PrintPolygon(a, std::span<const int32_t>(points, static_cast<std::size_t>(count) * 2));
  });
}

FMDRAW_API int32_t FmPrintCircle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t* session) {
  return OnSession(session, -3, [&](session::WorkArea& a) {
    return session::PrintEllipseFigure(a, session::EllipseFigure::kCircle, x1, y1, x2, y2);
  });
}

FMDRAW_API int32_t FmPrintArc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t xStart,
                              int32_t yStart, int32_t xEnd, int32_t yEnd, int32_t* session) {
  return OnSession(session, -3, [&](session::WorkArea& a) {
    return session::PrintEllipseFigure(a, session::EllipseFigure::kArc, x1, y1, x2, y2,
                                       {xStart, yStart}, {xEnd, yEnd});
  });
}

FMDRAW_API int32_t FmPrintChord(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t xStart,
                                int32_t yStart, int32_t xEnd, int32_t yEnd, int32_t* session) {
  return OnSession(session, -3, [&](session::WorkArea& a) {
    return session::PrintEllipseFigure(a, session::EllipseFigure::kChord, x1, y1, x2, y2,
                                       {xStart, yStart}, {xEnd, yEnd});
  });
}

FMDRAW_API int32_t FmPrintPie(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t xStart,
                              int32_t yStart, int32_t xEnd, int32_t yEnd, int32_t* session) {
  return OnSession(session, -3, [&](session::WorkArea& a) {
    return session::PrintEllipseFigure(a, session::EllipseFigure::kPie, x1, y1, x2, y2,
                                       {xStart, yStart}, {xEnd, yEnd});
  });
}

}  // extern "C"
