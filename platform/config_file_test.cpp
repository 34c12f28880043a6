#include "platform/config_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

namespace platform {
namespace {

TEST(ConfigFileTest, ReadsSharedSettingsAndSections) {
  std::string error;
  auto f = ParseConfigText(
      "\xEF\xBB\xBF# comment\r\n"
      "share-root = /srv/a b \r\n"
      "; another comment\n"
      "   empty =\n"
      "[tbclient]\n"
      "listen=127.0.0.1:8080\n"
      "[ other ]\n"
      "share-root = /elsewhere\n",
      &error);
  ASSERT_TRUE(f) << error;
  auto shared = f->Section("");
  ASSERT_EQ(shared.size(), 2u);
  EXPECT_EQ(shared[0].key, "share-root");
  EXPECT_EQ(shared[0].value, "/srv/a b");  // blanks inside a value are kept
  EXPECT_EQ(shared[0].line, 2);
  EXPECT_EQ(shared[1].value, "");
  auto mine = f->Section("tbclient");
  ASSERT_EQ(mine.size(), 1u);
  EXPECT_EQ(mine[0].value, "127.0.0.1:8080");
  EXPECT_EQ(mine[0].line, 6);
  // The same key in another section is another setting.
  EXPECT_EQ(f->Section("other").at(0).value, "/elsewhere");
  EXPECT_TRUE(f->Section("missing").empty());
}

TEST(ConfigFileTest, RefusesWhatCannotBeMeant) {
  struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"share-root /srv\n", "line 1: expected 'key = value'"},
      {"a = 1\n\n[tbclient\n", "line 3: a section header ends with ']'"},
      {"[]\n", "line 1: bad section name ''"},
      {"[a b]\n", "line 1: bad section name 'a b'"},
      {"= value\n", "line 1: bad setting name ''"},
      {"a = 1\na = 2\n", "line 2: 'a' is set twice"},
      {"[x]\na = 1\n[x]\n", "line 3: section [x] appears twice"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseConfigText(c.text, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
  std::string error;
  EXPECT_FALSE(ParseConfigText(std::string_view("a = 1\0b\n", 8), &error));
  EXPECT_EQ(error, "line 1: NUL byte");
}

TEST(ConfigFileTest, FileErrorsNameTheFileAndLine) {
  const auto dir = std::filesystem::temp_directory_path() / ("tb-config-file-test-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::string error;
  EXPECT_FALSE(ReadConfigFile(dir / "absent.conf", &error));
  EXPECT_EQ(error, (dir / "absent.conf").string() + ": no such file");
  EXPECT_FALSE(ReadConfigFile(dir, &error));
  EXPECT_EQ(error, dir.string() + ": not a regular file");

  const auto bad = dir / "bad.conf";
  std::ofstream(bad) << "a = 1\nnonsense\n";
  EXPECT_FALSE(ReadConfigFile(bad, &error));
  EXPECT_EQ(error, bad.string() + ":2: expected 'key = value'");

  const auto big = dir / "big.conf";
  std::ofstream(big) << std::string(kConfigMaxBytes + 1, '#');
  EXPECT_FALSE(ReadConfigFile(big, &error));
  EXPECT_NE(error.find("larger than"), std::string::npos) << error;
  // A file of exactly the limit is still read (a comment line as long as the limit).
  std::ofstream(big, std::ios::trunc) << std::string(kConfigMaxBytes, '#');
  EXPECT_TRUE(ReadConfigFile(big, &error)) << error;

  const auto good = dir / "good.conf";
  std::ofstream(good) << "a = 1\n";
  auto f = ReadConfigFile(good, &error);
  ASSERT_TRUE(f) << error;
  EXPECT_EQ(f->Section("").at(0).value, "1");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace platform
