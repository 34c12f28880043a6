#include "client/printing/fmdraw_api.h"

#include <dlfcn.h>

#include <map>
#include <mutex>
#include <string>

#include "client/core/vb_error.h"

namespace tb::print {
namespace {

constexpr int kErrFileNotFound = 53;
constexpr int kErrEntryPointMissing = 453;

template <class Fn>
void Bind(void* lib, const char* name, Fn& slot) {
  void* sym = dlsym(lib, name);
  if (!sym) throw VbError(kErrEntryPointMissing, kErrSource, std::string("entry point missing: ") + name);
  slot = reinterpret_cast<Fn>(sym);
}

FmDrawApi Load(const std::filesystem::path& path) {
  void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    const char* why = dlerror();
    throw VbError(kErrFileNotFound, kErrSource, why ? why : ("cannot load " + path.string()));
  }
  FmDrawApi api;
  Bind(lib, "FmSetPrinterDriver", api.FmSetPrinterDriver);
  Bind(lib, "FmInit", api.FmInit);
  Bind(lib, "FmPrintForm", api.FmPrintForm);
  Bind(lib, "FmPrintOut", api.FmPrintOut);
  Bind(lib, "FmTerm", api.FmTerm);
  Bind(lib, "FmAbort", api.FmAbort);
  Bind(lib, "FmSetLong", api.FmSetLong);
  Bind(lib, "FmPrintDataField", api.FmPrintDataField);
  Bind(lib, "FmSetLine", api.FmSetLine);
  Bind(lib, "FmSetPattern", api.FmSetPattern);
  Bind(lib, "FmGetFieldInfo", api.FmGetFieldInfo);
  Bind(lib, "FmPrintBox", api.FmPrintBox);
  Bind(lib, "FmPrintLine", api.FmPrintLine);
  Bind(lib, "FmSetFont", api.FmSetFont);
  Bind(lib, "FmPrintText", api.FmPrintText);
  return api;  // the library is never unloaded: sessions may still point into it
}

}  // namespace

const FmDrawApi& BindFormLibrary(const std::filesystem::path& path) {
  static std::mutex mutex;
  static std::map<std::string, FmDrawApi> bound;
  std::lock_guard lock(mutex);
  auto it = bound.find(path.string());
  if (it == bound.end()) it = bound.emplace(path.string(), Load(path)).first;
  return it->second;
}

}  // namespace tb::print
