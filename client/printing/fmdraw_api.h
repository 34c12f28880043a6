// The form library's exports that the client prints with, bound by name from
// libfmdraw32.so with dlopen/dlsym when the client first prints. The library stays loaded
// for the life of the process. Thread-safe binding; the functions themselves are used by
// one session's UI thread at a time, each session with its own session record.
#pragma once

#include <filesystem>

#include "formdraw/fmdraw32.h"

namespace tb::print {

struct FmDrawApi {
  decltype(&::FmSetPrinterDriver) FmSetPrinterDriver = nullptr;
  decltype(&::FmInit) FmInit = nullptr;
  decltype(&::FmPrintForm) FmPrintForm = nullptr;
  decltype(&::FmPrintOut) FmPrintOut = nullptr;
  decltype(&::FmTerm) FmTerm = nullptr;
  decltype(&::FmAbort) FmAbort = nullptr;
  decltype(&::FmSetLong) FmSetLong = nullptr;
  decltype(&::FmPrintDataField) FmPrintDataField = nullptr;
  decltype(&::FmSetLine) FmSetLine = nullptr;
  decltype(&::FmSetPattern) FmSetPattern = nullptr;
  decltype(&::FmGetFieldInfo) FmGetFieldInfo = nullptr;
  decltype(&::FmPrintBox) FmPrintBox = nullptr;
  decltype(&::FmPrintLine) FmPrintLine = nullptr;
  decltype(&::FmSetFont) FmSetFont = nullptr;
  decltype(&::FmPrintText) FmPrintText = nullptr;
};

// Binds the exports of the library at `path` (loaded once per path). Throws VbError
// (number 53 when the library cannot be loaded, 453 when an export is missing).
[[nodiscard]] const FmDrawApi& BindFormLibrary(const std::filesystem::path& path);

}  // namespace tb::print
