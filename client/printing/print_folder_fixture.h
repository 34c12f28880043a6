// Test support: report pages printed through the real form library onto a folder
// printer (PDF by default) with the report forms, on a share with one daily page of four
// items and three days of values. Header-only; used by *_test.cpp files only.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "client/printing/print_test_share.h"
#include "tools/reportforms/report_form.h"

namespace tb::print::testing {

inline bool LibraryCanFill() {
  void* lib = dlopen(TB_FMDRAW, RTLD_NOW | RTLD_LOCAL);
  const bool ok = lib && dlsym(lib, "FmPrintForm") && dlsym(lib, "FmGetFieldInfo") && dlsym(lib, "FmSetLong");
  if (lib) dlclose(lib);
  return ok;
}

inline std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    pclose(p);
  }
  return out;
}

class PrintToFolder : public ::testing::Test {
 protected:
  using ClientState = ::tb::ClientState;
  using ScriptedHost = ::tb::ScriptedHost;

  void SetUp() override {
    if (!LibraryCanFill()) GTEST_SKIP() << "the form library has no field and drawing calls yet";
    out = share.Root() / "printed";
    fs::create_directories(out);
    const auto windir = share.Root() / "windir";
    fs::create_directories(windir);
    setenv("FMDRAW_WINDIR", windir.c_str(), 1);
    ::tb::testing::WriteBytes(windir / "printers.ini",
                              "[Test]\r\nDriver=fmdraw\r\nPort=" + out.string() + "\r\nFormat=" + Format() + "\r\nDpi=300\r\n");
    ::tb::testing::WriteBytes(windir / "win.ini", "[windows]\r\ndevice=Test,fmdraw," + out.string() + "\r\n");
    reportforms::WriteReportForms(share.Share() / "TB_Format");
    share.Describe(s, TB_FMDRAW);
    s.gInkanCount = 4;
    s.gInkanName1 = "場長";
    s.gInkanName2 = "課長";
    s.gInkanName3 = "係長";
    s.gInkanName4 = "担当";
    s.gKetaFlg = 1;
    share.AddPage(1, 1, "取水・沈殿池");
    share.AddItem(1, 1, 1, 1, "取水", "取水量", "1号", "m3/h", "0.0");
    share.AddItem(1, 1, 2, 2, "取水", "取水量", "2号", "m3/h", "0.0");
    share.AddItem(1, 1, 3, 3, "沈殿池", "沈殿水濁度", "", "度", "0.00");
    share.AddItem(1, 1, 4, 4, "沈殿池", "運転時間", "", "時間", "", 6);
    for (const char* key : {"2026/1/31", "2026/2/1", "2026/2/2"}) {
      std::vector<std::string> flow, turbidity, minutes;
      for (int k = 1; k <= 24; ++k) {
        flow.push_back(std::to_string(800 + k * 10));
        turbidity.push_back("0." + std::to_string(10 + k));
        minutes.push_back("60");
      }
      share.AddValues("D_DDAT", key, 1, flow, {"25560", "1065", "1040", "810"});
      share.AddValues("D_DDAT", key, 2, flow, {"25560", "1065", "1040", "810"});
      share.AddValues("D_DDAT", key, 3, turbidity, {"", "0.225", "0.34", "0.11"});
      share.AddValues("D_DDAT", key, 4, minutes, {"1440", "60", "60", "60"});
    }
  }
  virtual std::string Format() const { return "pdf"; }
  std::vector<fs::path> Printed(const std::string& ext) const {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(out))
      if (e.path().string().ends_with(ext)) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
  }

  PrintShare share;
  fs::path out;
  ClientState s;
  ScriptedHost host;
};

}  // namespace tb::print::testing
