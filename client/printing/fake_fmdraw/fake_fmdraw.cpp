// A stand-in for libfmdraw32.so in the client's print tests: it exports the calls the
// client binds, records every call with its arguments as one line of text, answers
// FmGetFieldInfo from a table the test fills, and returns a chosen code from FmInit. The
// test reaches the recorder through the Fake* functions (dlsym on the same library).
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#define FAKE_API extern "C" __attribute__((visibility("default")))

namespace {

std::string& Log() {
  static std::string log;
  return log;
}
std::map<std::string, std::vector<int32_t>>& Fields() {
  static std::map<std::string, std::vector<int32_t>> fields;
  return fields;
}
int32_t initResult = 0;
// A file FmInit overwrites, as a library that changes the default printer while it works.
std::string initWritePath, initWriteBytes;

void Record(const std::string& line) { Log() += line + "\n"; }
std::string N(int32_t v) { return std::to_string(v); }
std::string Q(const char* s) { return std::string("\"") + (s ? s : "") + "\""; }

}  // namespace

FAKE_API const char* FakeFmLog() { return Log().c_str(); }
FAKE_API void FakeFmReset() {
  Log().clear();
  Fields().clear();
  initResult = 0;
  initWritePath.clear();
}
FAKE_API void FakeFmSetInitWrite(const char* path, const char* bytes) {
  initWritePath = path;
  initWriteBytes = bytes;
}
FAKE_API void FakeFmSetInitResult(int32_t rc) { initResult = rc; }
FAKE_API void FakeFmSetField(const char* name, int32_t l, int32_t t, int32_t r, int32_t b) {
  Fields()[name] = {l, t, r, b};
}

FAKE_API int32_t FmSetPrinterDriver(int32_t mask, int32_t orientation, int32_t paper, int32_t length,
                                    int32_t width, int32_t scale, int32_t copies, int32_t source,
                                    int32_t quality, int32_t colour, int32_t duplex, int32_t yres,
                                    int32_t tt, int32_t* s) {
  char mk[16];
  std::snprintf(mk, sizeof mk, "0x%X", static_cast<unsigned>(mask));
  Record("FmSetPrinterDriver " + std::string(mk) + " " + N(orientation) + " " + N(paper) + " " +
         N(length) + " " + N(width) + " " + N(scale) + " " + N(copies) + " " + N(source) + " " +
         N(quality) + " " + N(colour) + " " + N(duplex) + " " + N(yres) + " " + N(tt));
  s[2] = 19605;
  return 0;
}
FAKE_API int32_t FmInit(int32_t window, int32_t dc, int32_t mode, int32_t mag, int32_t x, int32_t y,
                        int32_t left, int32_t top, int32_t w, int32_t h, const char* form,
                        const char* out, int32_t* s) {
  Record("FmInit " + N(window) + " " + N(dc) + " " + N(mode) + " " + N(mag) + " " + N(x) + " " + N(y) +
         " " + N(left) + " " + N(top) + " " + N(w) + " " + N(h) + " " + Q(form) + " " + Q(out));
  if (!initWritePath.empty()) {
    if (FILE* f = std::fopen(initWritePath.c_str(), "wb")) {
      std::fwrite(initWriteBytes.data(), 1, initWriteBytes.size(), f);
      std::fclose(f);
    }
  }
  if (form == nullptr || *form == '\0') return -2;  // as the library: no form name
  if (initResult == 0) s[2] = 19600;
  return initResult;
}
FAKE_API int32_t FmPrintForm(const char* reserved, int32_t*) {
  Record("FmPrintForm " + Q(reserved));
  return 0;
}
FAKE_API int32_t FmPrintOut(int32_t*) {
  Record("FmPrintOut");
  return 0;
}
FAKE_API int32_t FmTerm(int32_t* s) {
  Record("FmTerm");
  s[0] = s[1] = s[2] = 0;
  return 0;
}
FAKE_API int32_t FmSetLong(int32_t code, int32_t value, int32_t*) {
  Record("FmSetLong " + N(code) + " " + N(value));
  return 0;
}
FAKE_API int32_t FmPrintDataField(const char* name, const char* value, int32_t*) {
  Record("FmPrintDataField " + Q(name) + " " + Q(value));
  return 0;
}
FAKE_API int32_t FmSetLine(int32_t style, int32_t width, int32_t*) {
  Record("FmSetLine " + N(style) + " " + N(width));
  return 0;
}
FAKE_API int32_t FmSetPattern(int32_t pattern, int32_t*) {
  Record("FmSetPattern " + N(pattern));
  return 0;
}
FAKE_API int32_t FmGetFieldInfo(int32_t kind, const char* name, int32_t* rect, int32_t*) {
  const auto it = Fields().find(name);
  if (kind != 1 || it == Fields().end()) return -3;
  for (int i = 0; i < 4; ++i) rect[i] = it->second[static_cast<std::size_t>(i)];
  return 0;
}
FAKE_API int32_t FmPrintBox(int32_t l, int32_t t, int32_t r, int32_t b, int32_t radius, int32_t*) {
  Record("FmPrintBox " + N(l) + " " + N(t) + " " + N(r) + " " + N(b) + " " + N(radius));
  return 0;
}
FAKE_API int32_t FmPrintLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t*) {
  Record("FmPrintLine " + N(x1) + " " + N(y1) + " " + N(x2) + " " + N(y2));
  return 0;
}
FAKE_API int32_t FmSetFont(int32_t w, int32_t h, int32_t face, int32_t italic, int32_t bold, int32_t*) {
  Record("FmSetFont " + N(w) + " " + N(h) + " " + N(face) + " " + N(italic) + " " + N(bold));
  return 0;
}
FAKE_API int32_t FmPrintText(int32_t x, int32_t y, int32_t extent, int32_t dir, int32_t align,
                             const char* text, int32_t*) {
  Record("FmPrintText " + N(x) + " " + N(y) + " " + N(extent) + " " + N(dir) + " " + N(align) + " " + Q(text));
  return 0;
}
