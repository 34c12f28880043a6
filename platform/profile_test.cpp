#include "platform/profile.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <future>
#include <iterator>

#include <gtest/gtest.h>

namespace platform {
namespace {
namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "profile_test.XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data());
  }
  ~TempDir() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void WriteBytes(const fs::path& p, std::string_view bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct GetCase {
  int row;
  const char* text;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

TEST(ProfileDocumentTest, GetFollowsPrivateProfileRules) {
  const GetCase cases[] = {
      {0, "[Title]\r\nName=Plant\r\n", "title", "NAME", "Plant"},
      {1, "[ Title ]\n  Name  =  two words  \n", "Title", "Name", "two words"},
      {2, "[Print]\nSize=\"  A3  \"\n", "Print", "Size", "  A3  "},
      {3, "[Print]\nSize=\"A3\n", "Print", "Size", "\"A3"},  // one quote only: kept
      {18, "[Geppou]\nDay='1'\n", "Geppou", "Day", "1"},       // single quotes as double ones
      {19, "[Title]\nName=' Plant '\n", "Title", "Name", " Plant "},
      {20, "[Title]\nName='Plant\"\n", "Title", "Name", "'Plant\""},  // quotes of two kinds: kept
      {21, "[Title]\nName='\n", "Title", "Name", "'"},
      {22, "[Title]\nName=''\n", "Title", "Name", ""},
      {23, "[Title]\nName=\"'a'\"\n", "Title", "Name", "'a'"},  // one pair only
      {4, "[Print]\nSize=\n", "Print", "Size", ""},
      {5, "[Print]\nSize=A4\nSize=A3\n", "Print", "Size", "A4"},      // first key wins
      {6, "[Print]\nSize=A4\n[PRINT]\nSize=A3\n", "Print", "Size", "A4"},
      {7, "[Print]\n[print]\nSize=A3\n", "Print", "Size", std::nullopt},  // first section only
      {8, "Size=A3\n[Print]\n", "Print", "Size", std::nullopt},          // before any section
      {9, "[Print]\n;Size=A3\nSize\n", "Print", "Size", std::nullopt},   // comment, no "="
      {25, "[Print]\n  ;Size=A3\n", "Print", ";Size", std::nullopt},      // a comment is no key
      {10, "\xEF\xBB\xBF[Print]\nSize=A3", "Print", "Size", "A3"},      // BOM, no final LF
      {11, "[Print]\r\nSize=a=b\r\n", "Print", "Size", "a=b"},
      {12, "[Print\nSize=A3\n", "Print", "Size", "A3"},                  // unclosed header
      {13, "[Print] trailing\nSize=A3\n", "Print", "Size", "A3"},
      // CP932: 0x83 0x41 and 0x83 0x61 differ only in a trail byte that looks like a
      // letter; 0x83 0x5D has a "]" trail byte.
      {14, "[\x83\x41]\nk=1\n[\x83\x61]\nk=2\n", "\x83\x61", "k", "2"},
      {15, "[\x83\x5D]\nk=1\n", "\x83\x5D", "k", "1"},
      // A header saved as UTF-8 whose last byte looks like a CP932 lead byte ("テ" ends
      // in 0x86) hides its "]" from the CP932 scan.
      {24, "[\xE3\x83\x86]\nk=1\n", "\xE3\x83\x86", "k", "1"},
      {16, "[Print]\nSize=A3", "Print", "Paper", std::nullopt},
      {17, "", "Print", "Size", std::nullopt},
  };
  for (const GetCase& c : cases) {
    SCOPED_TRACE(c.row);
    EXPECT_EQ(ProfileDocument::Parse(c.text).Get(c.section, c.key), c.expected);
  }
}

struct SetCase {
  int row;
  const char* before;
  const char* section;
  const char* key;
  std::optional<std::string_view> value;
  const char* after;
};

TEST(ProfileDocumentTest, SetKeepsEveryOtherLine) {
  const SetCase cases[] = {
      {0, "; top\r\n[Print]\r\nSize=A4 ; old\r\nOther=1\r\n", "PRINT", "size", "A3",
       "; top\r\n[Print]\r\nSize=A3\r\nOther=1\r\n"},
      {1, "[A]\nx=1\n\n[B]\ny=2\n", "A", "z", "3", "[A]\nx=1\nz=3\n\n[B]\ny=2\n"},
      {2, "[A]\nx=1", "B", "y", "2", "[A]\nx=1\n[B]\ny=2\n"},
      {3, "", "A", "x", "1", "[A]\r\nx=1\r\n"},
      {4, "[A]\nx=1\ny=2\nx=3\n", "A", "x", std::nullopt, "[A]\ny=2\n"},
      {5, "[A]\nx=1\nx=3\n", "A", "x", "9", "[A]\nx=9\nx=3\n"},
      {6, "[A]\nx=1\n", "B", "x", std::nullopt, "[A]\nx=1\n"},
      {7, "\xEF\xBB\xBF", "A", "x", "1", "\xEF\xBB\xBF[A]\r\nx=1\r\n"},
      {8, "[A]\nx=1\r", "A", "y", "2", "[A]\nx=1\r\ny=2\n"},
      {9, "[A]\r\n", "A", "x", "1", "[A]\r\nx=1\r\n"},
      // Values that would add lines or keys are refused: the text stays as it was.
      {10, "[A]\n", "A", "x", "1\n[DB]\nFLG=1", "[A]\n"},
      {11, "[A]\n", "A", "x=y", "1", "[A]\n"},
      {12, "[A]\n", "A]", "x", "1", "[A]\n"},
      {13, "[A]\n", " ", "x", "1", "[A]\n"},
      {14, "[A]\n", "A", "\t", "1", "[A]\n"},
      {15, "[A]\n", "A", ";x", "1", "[A]\n"},
      {16, "[A]\n", "A", "[x", "1", "[A]\n"},
      {17, "[A]\n", "A\r", "x", "1", "[A]\n"},
      {18, "[A]\n", "A", "x\ny", "1", "[A]\n"},
      {19, "[A]\n", "A", "x", std::string_view("1\0y", 3), "[A]\n"},
  };
  for (const SetCase& c : cases) {
    SCOPED_TRACE(c.row);
    EXPECT_EQ(ProfileDocument::Parse(c.before).Set(c.section, c.key, c.value), c.after);
  }
}

TEST(ProfileFileTest, ReadCutsValuesToTheBuffer) {
  TempDir dir;
  fs::path ini = dir.path() / "Vurodor.ini";
  std::string longValue(200, 'x');
  // 126 single bytes then a double-byte character: the cut does not split it.
  std::string cp932Value = std::string(126, 'a') + "\x93\xfa";
  WriteBytes(ini, "[Title]\r\nName=" + longValue + "\r\n[Inkan]\r\nName1=" + cp932Value + "\r\n");
  EXPECT_EQ(ReadProfileString(ini, "Title", "Name", ""), std::string(127, 'x'));
  EXPECT_EQ(ReadProfileString(ini, "Title", "Name", "", 4), "xxx");
  EXPECT_EQ(ReadProfileString(ini, "Title", "Name", "", 0), "");
  EXPECT_EQ(ReadProfileString(ini, "Inkan", "Name1", ""), std::string(126, 'a'));
  EXPECT_EQ(ReadProfileString(ini, "Title", "Missing", longValue), std::string(127, 'x'));
  EXPECT_EQ(ReadProfileString(dir.path() / "none.ini", "Title", "Name", "def"), "def");
  EXPECT_EQ(ReadProfileString(dir.path(), "Title", "Name", "dir"), "dir");
}

TEST(ProfileFileTest, FilesUpToTheLimitAreReadLargerOnesAreNotRewritten) {
  TempDir dir;
  fs::path ini = dir.path() / "big.ini";
  const std::string head = "[A]\nx=1\n";
  WriteBytes(ini, head + std::string(kProfileMaxFileBytes - head.size(), ';'));
  EXPECT_EQ(ReadProfileString(ini, "A", "x", "def"), "1");
  const std::string big = head + std::string(kProfileMaxFileBytes - head.size() + 1, ';');
  WriteBytes(ini, big);
  EXPECT_EQ(ReadProfileString(ini, "A", "x", "def"), "def");
  EXPECT_FALSE(WriteProfileString(ini, "A", "x", "2"));
  EXPECT_EQ(fs::file_size(ini), big.size());
}

// A named pipe where a settings file belongs: reading it must not wait for a writer.
TEST(ProfileFileTest, NamedPipeReadsAsMissingWithoutWaiting) {
  using namespace std::chrono_literals;
  TempDir dir;
  fs::path fifo = dir.path() / "Vurodor.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto access = std::async(std::launch::async, [&] {
    return std::pair{ReadProfileString(fifo, "A", "x", "def"), WriteProfileString(fifo, "A", "x", "1")};
  });
  const bool waited = access.wait_for(5s) != std::future_status::ready;
  // Should it wait, a writer that comes and goes lets the test end.
  while (access.wait_for(10ms) != std::future_status::ready) {
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  }
  EXPECT_FALSE(waited);
  const auto [read, written] = access.get();
  EXPECT_EQ(read, "def");
  EXPECT_FALSE(written);
  EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST(ProfileFileTest, WriteCreatesFileWithModeAndKeepsExistingMode) {
  TempDir dir;
  fs::path ini = dir.path() / "TBWEB.ini";
  ASSERT_TRUE(WriteProfileString(ini, "DB", "FLG", "1", 0600));
  EXPECT_EQ(ReadBytes(ini), "[DB]\r\nFLG=1\r\n");
  EXPECT_EQ(fs::status(ini).permissions(), fs::perms::owner_read | fs::perms::owner_write);

  fs::permissions(ini, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(WriteProfileString(ini, "SQL", "PWD", "a;b"));
  EXPECT_EQ(fs::status(ini).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(ReadProfileString(ini, "sql", "pwd", ""), "a;b");
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(ProfileFileTest, WriteFailsWithoutLeavingAnything) {
  TempDir dir;
  EXPECT_FALSE(WriteProfileString(dir.path() / "no" / "such.ini", "A", "x", "1"));
  EXPECT_FALSE(WriteProfileString(dir.path(), "A", "x", "1"));  // a folder
  EXPECT_FALSE(WriteProfileString(dir.path() / "a.ini", "A", "x", "1\r\n[B]"));
  EXPECT_FALSE(fs::exists(dir.path() / "a.ini"));
}

// Removing what is not there, or writing the value a key already has, succeeds without
// creating or rewriting the file.
TEST(ProfileFileTest, WritesThatChangeNothingTouchNothing) {
  TempDir dir;
  EXPECT_TRUE(WriteProfileString(dir.path() / "none.ini", "A", "x", std::nullopt));
  EXPECT_FALSE(fs::exists(dir.path() / "none.ini"));
  fs::path ini = dir.path() / "a.ini";
  WriteBytes(ini, "[A]\nx=1\n");
  struct stat before {};
  ASSERT_EQ(::stat(ini.c_str(), &before), 0);
  EXPECT_TRUE(WriteProfileString(ini, "A", "y", std::nullopt));
  EXPECT_TRUE(WriteProfileString(ini, "a", "X", "1"));
  struct stat after {};
  ASSERT_EQ(::stat(ini.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
}

// A write that cannot complete (here: the file size limit) reports failure and keeps the
// old file whole, with no temporary file left beside it.
TEST(ProfileFileTest, WriteThatCannotCompleteKeepsTheOldFile) {
  TempDir dir;
  fs::path ini = dir.path() / "a.ini";
  WriteBytes(ini, "[A]\nx=1\n");
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 64;
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = WriteProfileString(ini, "A", "y", std::string(200, 'v'));
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadBytes(ini), "[A]\nx=1\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(ProfileFileTest, WriteThroughSymlinkChangesTheTarget) {
  TempDir dir;
  fs::path real = dir.path() / "real.ini";
  WriteBytes(real, "[A]\nx=1\n");
  fs::create_symlink(real, dir.path() / "link.ini");
  ASSERT_TRUE(WriteProfileString(dir.path() / "link.ini", "A", "x", "2"));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link.ini"));
  EXPECT_EQ(ReadBytes(real), "[A]\nx=2\n");
}

TEST(ProfileFileTest, Utf8VariantsConvertAtTheEdge) {
  TempDir dir;
  fs::path ini = dir.path() / "Vurodor.ini";
  ASSERT_TRUE(WriteProfileStringUtf8(ini, "日報", "印鑑", "課長\u2603"));
  EXPECT_EQ(ReadBytes(ini), "[\x93\xfa\x95\xf1]\r\n\x88\xf3\x8a\xd3=\x89\xdb\x92\xb7?\r\n");
  EXPECT_EQ(ReadProfileStringUtf8(ini, "日報", "印鑑", ""), "課長?");

  // A file saved as UTF-8 (with a byte-order mark) stays UTF-8.
  fs::path utf8 = dir.path() / "utf8.ini";
  WriteBytes(utf8, "\xEF\xBB\xBF[Title]\nName=工場\n");
  EXPECT_EQ(ReadProfileStringUtf8(utf8, "Title", "Name", ""), "工場");
  ASSERT_TRUE(WriteProfileStringUtf8(utf8, "Title", "Name", "日報"));
  EXPECT_EQ(ReadBytes(utf8), "\xEF\xBB\xBF[Title]\nName=日報\n");
}

}  // namespace
}  // namespace platform
