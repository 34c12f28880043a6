#include "client/web/options.h"

#include <gtest/gtest.h>

namespace tb::web {
namespace {

namespace fs = std::filesystem;

TEST(OptionsTest, ReadsFlagsAndRefusesWhatIsWrong) {
  const auto dir = fs::temp_directory_path();
  const std::string d = dir.string();
  struct {
    std::vector<std::string> args;
    bool ok;
    const char* errorPart;
  } cases[] = {
      {{"--share-root", d, "--client-dir", d}, true, ""},
      {{"--share-root", d, "--client-dir", d, "--listen", "0.0.0.0:9000"}, true, ""},
      {{"--share-root", d, "--client-dir", d, "--listen", "[::1]:80"}, true, ""},
      {{"--share-root", d}, false, "--client-dir is required"},
      {{"--client-dir", d}, false, "--share-root is required"},
      {{"--share-root", d, "--client-dir", d + "/no-such-folder"}, false, "not a folder"},
      {{"--share-root", d, "--client-dir", d, "--bogus"}, false, "unknown option"},
      {{"--share-root", d, "--client-dir"}, false, "needs a value"},
      {{"--share-root", d, "--client-dir", d, "--listen", "8080"}, false, "HOST:PORT"},
      {{"--share-root", d, "--client-dir", d, "--listen", "h:70000"}, false, "HOST:PORT"},
      {{"--share-root", d, "--client-dir", d, "--listen", "::1:80"}, false, "HOST:PORT"},
  };
  for (const auto& c : cases) {
    std::string error;
    auto o = ParseOptions(c.args, "/opt/tb/bin", &error);
    EXPECT_EQ(o.has_value(), c.ok) << c.args.back() << ": " << error;
    if (!c.ok) {
      EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
    }
  }
}

TEST(OptionsTest, Defaults) {
  std::string error;
  const std::string d = fs::temp_directory_path().string();
  auto o = ParseOptions({"--share-root", d, "--client-dir", d}, "/opt/tb/bin", &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->host, "127.0.0.1");
  EXPECT_EQ(o->port, 8080);
  EXPECT_EQ(o->formLibrary, fs::path("/opt/tb/bin/../lib/libfmdraw32.so"));
  EXPECT_FALSE(o->cacheDir.empty());
  EXPECT_NE(o->cacheDir.string().find("tbclient"), std::string::npos);
  auto help = ParseOptions({"--help"}, "/x", &error);
  ASSERT_TRUE(help);
  EXPECT_TRUE(help->help);
  for (const char* flag : {"--share-root", "--client-dir", "--listen", "--cache-dir", "--form-library"})
    EXPECT_NE(Usage().find(flag), std::string::npos) << flag;
}

}  // namespace
}  // namespace tb::web
