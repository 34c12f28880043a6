#include "client/web/options.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "tb_version.h"

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
      {{"--share-root", d, "--client-dir", d + "/no-such-folder"}, false, "client folder does not exist"},
      {{"--share-root", "/etc/passwd", "--client-dir", d}, false, "share root is not a folder"},
      {{"--share-root", d, "--client-dir", d, "--printer-dir", d + "/none"}, false,
       "printer settings folder does not exist"},
      {{"--share-root", d, "--client-dir", d, "--bogus"}, false, "unknown option"},
      {{"--share-root", d, "--client-dir"}, false, "needs a value"},
      {{"--share-root", d, "--client-dir", d, "--listen", "8080"}, false, "--listen wants HOST:PORT"},
      {{"--share-root", d, "--client-dir", d, "--listen", "h:70000"}, false, "HOST:PORT"},
      {{"--share-root", d, "--client-dir", d, "--listen", "h:000080"}, false, "HOST:PORT"},  // six digits
      {{"--share-root", d, "--client-dir", d, "--listen", "::1:80"}, false, "HOST:PORT"},
      {{"--share-root", d, "--client-dir", d, "--listen", "h:80x"}, false, "HOST:PORT"},
      {{"--share-root", d, "--client-dir", d, "--listen", "h:+80"}, false, "HOST:PORT"},
      {{"--share-root", d, "--client-dir", d, "--config", d + "/none.conf"}, false, "no such file"},
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
  // No build tree around /opt/tb/bin: the installed library folder.
  EXPECT_EQ(o->formLibrary, fs::path("/opt/tb/bin/..") / kInstallLibDir / "libfmdraw32.so");
  EXPECT_TRUE(o->printerDir.empty());
  EXPECT_FALSE(o->cacheDir.empty());
  EXPECT_NE(o->cacheDir.string().find("tbclient"), std::string::npos);
  for (const char* flag : {"--share-root", "--client-dir", "--listen", "--cache-dir", "--form-library",
                           "--printer-dir", "--archive", "--config", "--version"})
    EXPECT_NE(Usage().find(flag), std::string::npos) << flag;
  // --help and --version answer whatever else the line holds.
  auto help = ParseOptions({"--listen", "bad", "--help"}, "/x", &error);
  ASSERT_TRUE(help);
  EXPECT_TRUE(help->help);
  auto version = ParseOptions({"--version"}, "/x", &error);
  ASSERT_TRUE(version);
  EXPECT_TRUE(version->version);
  EXPECT_EQ(VersionLine(), std::string("tbclient ") + kVersion + "\n");
}

class ConfigFileOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tb-options-test-" + std::to_string(::getpid()));
    for (const char* sub : {"share", "client", "other", "printers"}) fs::create_directories(dir_ / sub);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string& text) {
    const auto file = dir_ / "tbclient.conf";
    std::ofstream(file) << text;
    return file.string();
  }
  std::string P(const char* sub) const { return (dir_ / sub).string(); }
  fs::path dir_;
};

TEST_F(ConfigFileOptions, FileGivesTheSettingsAndTheCommandLineWins) {
  const auto conf = Write("share-root = " + P("share") + "\nclient-dir = " + P("client") +
                          "\ncache-dir = /var/cache/x\nprinter-dir = " + P("printers") +
                          "\narchive = /var/lib/x/archive\n\n[tbarchive]\nwhatever = 1\n[tbclient]\nlisten = 0.0.0.0:9001\n"
                          "cache-dir = /var/cache/mine\n");
  std::string error;
  auto o = ParseOptions({"--config", conf}, "/x", &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->shareRoot, P("share"));
  EXPECT_EQ(o->clientDir, P("client"));
  EXPECT_EQ(o->printerDir, P("printers"));
  EXPECT_EQ(o->archiveDir, "/var/lib/x/archive");
  EXPECT_EQ(o->cacheDir, "/var/cache/mine");  // the program's section over the shared part
  EXPECT_EQ(o->host, "0.0.0.0");
  EXPECT_EQ(o->port, 9001);
  // Flags override the file, before or after --config.
  o = ParseOptions({"--listen", "127.0.0.1:7000", "--config", conf, "--share-root", P("other")}, "/x",
                   &error);
  ASSERT_TRUE(o) << error;
  EXPECT_EQ(o->shareRoot, P("other"));
  EXPECT_EQ(o->port, 7000);
  EXPECT_EQ(o->clientDir, P("client"));
}

TEST_F(ConfigFileOptions, MistakesInTheFileNameTheirLine) {
  struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"share-root = " + P("share") + "\nshare-rot = /srv\n", ":2: unknown setting 'share-rot'"},
      {"share-root = srv/share\n", ":1: share-root wants an absolute path"},
      {"listen = 127.0.0.1:1\n", ":1: unknown setting 'listen'"},  // not a shared setting
      {"[tbclient]\nlisten = nowhere\n", ":2: listen wants HOST:PORT, got nowhere"},
      {"[tbclient]\ncolour = red\n", ":2: unknown setting 'colour'"},
      {"[tbclient]\nlisten =\n", ":2: listen needs a value"},
      {"[tbclient]\ncache-dir = cache\n", ":2: cache-dir wants an absolute path"},
      {"client-dir = " + P("client") + "\nshare-root = " + P("gone") + "\n", "share root does not exist"},
  };
  for (const auto& c : cases) {
    const auto conf = Write(c.text);
    std::string error;
    EXPECT_FALSE(ParseOptions({"--config", conf}, "/x", &error)) << c.text;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.text << " -> " << error;
  }
}

}  // namespace
}  // namespace tb::web
