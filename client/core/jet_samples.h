// Test helper: the sample Access files kept outside the repository (TB_TESTDATA, set by
// the build to the sample folder it found). Where a checkout has no sample folder beside
// it, the tests that read samples are skipped rather than failed.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tb::testing {

inline std::filesystem::path JetSample(const std::string& name) {
  const char* root = std::getenv("TB_TESTDATA");
  return std::filesystem::path(root ? root : "/work/shared/testdata") / "jet" / name;
}

inline bool HaveJetSamples() {
  std::error_code ec;
  return std::filesystem::is_regular_file(JetSample("nwind.mdb"), ec);
}

}  // namespace tb::testing

// In a test body or SetUp: skips the test when the sample files are not there.
#define TB_SKIP_WITHOUT_JET_SAMPLES()                                                 \
  if (!::tb::testing::HaveJetSamples()) GTEST_SKIP() << "no sample Access files at " \
                                                     << ::tb::testing::JetSample("").string()
