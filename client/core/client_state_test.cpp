#include "client/core/client_state.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <map>

#include <gtest/gtest.h>

#include "client/core/messages.h"
#include "client/core/scripted_host.h"
#include "client/core/test_files.h"
#include "platform/codepage.h"

namespace tb {
namespace {

using namespace std::chrono_literals;
using tb::testing::MakeSqlite;
using tb::testing::ReadBytes;
using tb::testing::TempDir;
using tb::testing::WriteBytes;

TEST(ServerLocationTest, DerivedFromThePageAddress) {
  struct Row {
    const char* url;
    const char* serverUrl;
    const char* folder;
  };
  const Row rows[] = {
      {"http://HOST/docMain.vbd", "http://HOST", "\\\\HOST\\vurodor"},
      {"http://HOST:8080/docMain.vbd", "http://HOST:8080", "\\\\HOST:8080\\vurodor"},
      {"http://h/a/b/docMain.vbd", "http://h", "\\\\h\\vurodor"},
      {"HTTP://Plant01/docMain.vbd", "HTTP://Plant01", "\\\\Plant01\\vurodor"},
      // The plain web rule (in any case) looks for the server's end from position 9 on.
      {"Http:///docMain.vbd", "Http:///docMain.vbd", "\\\\/docMain.vbd\\vurodor"},
      {"https://HOST/docMain.vbd", "https://HOST", "\\\\HOST\\vurodor"},
      {"https://HOST:8443/x/docMain.vbd", "https://HOST:8443", "\\\\HOST:8443\\vurodor"},
      {"https://HOST", "https://HOST", "\\\\HOST\\vurodor"},
      {"http://HOST", "http://HOST", "\\\\HOST\\vurodor"},
      {"", "", "\\\\\\vurodor"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.url);
    ClientState s;
    SetServerLocation(s, r.url);
    EXPECT_EQ(s.gServerUrl, r.serverUrl);
    EXPECT_EQ(s.gBaseUrl, std::string(r.serverUrl) + "/");
    EXPECT_EQ(s.gServerFolder, r.folder);
  }
}

// A client folder and a share with settings files written in CP932.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    s_.env.shareRoot = dir_.path() / "share";
    s_.env.clientDir = dir_.path() / "client";
    std::filesystem::create_directories(s_.env.shareRoot);
    std::filesystem::create_directories(s_.env.clientDir);
    SetServerLocation(s_, "http://PLANT:8080/docMain.vbd");
  }
  void ClientIni(const std::string& utf8, const char* name = "TBWEB.INI") {
    WriteBytes(s_.env.clientDir / name, platform::Utf8ToCp932(utf8));
  }
  void ReportIni(const std::string& utf8, const char* name = "Vurodor.ini") {
    WriteBytes(s_.env.shareRoot / name, platform::Utf8ToCp932(utf8));
  }
  static std::string FullReportIni() {
    return "[Title]\r\nName=中央浄水場\r\n[Print]\r\nSize=A3\r\n[Nippou]\r\nHour=8\r\n"
           "[Geppou]\r\nDay=1\r\n[Nenpou]\r\nMonth=4\r\n"
           "[Inkan]\r\nName1=課長\r\nName2=係長\r\nName3=主任\r\nName4=担当\r\nKosuu=3\r\nFlg=1\r\n"
           "[Mode]\r\nYear=1\r\n[Tenki]\r\nFlg=1\r\n[Keta]\r\nFlg=1\r\n";
  }
  // Marks every report value so that a test can see which ones were left alone.
  void MarkReportValues() {
    s_.gTitle = s_.gPaperSize = s_.gInkanName1 = s_.gInkanName2 = s_.gInkanName3 =
        s_.gInkanName4 = "old";
    s_.gDayStartHour = s_.gMonthStartDay = s_.gYearStartMonth = s_.gWesternYear = -7;
    s_.gInkanCount = s_.gTenkiFlg = s_.gKetaFlg = s_.gInkanFlg = -7;
  }
  std::vector<std::string> Messages() const { return host_.MessageTexts(); }

  TempDir dir_;
  ClientState s_;
  ScriptedHost host_;
};

// The 14 report keys in their reading order, each with a value of its own in the file, so
// that a key read into the wrong variable, or read out of its turn, shows.
struct ReportKey {
  const char* section;
  const char* key;
  const char* value;   // as written in the file
  bool integer;        // an integer key: a bad value ends the reading here
  std::string (*read)(const ClientState&);  // the variable it feeds, as text
  const char* expected;                     // that variable after a complete reading
};

const ReportKey kReportKeys[] = {
    {"Title", "Name", "中央浄水場", false, [](const ClientState& s) { return s.gTitle; }, "中央浄水場"},
    {"Print", "Size", "A4", false, [](const ClientState& s) { return s.gPaperSize; }, "A4"},
    {"Nippou", "Hour", "8", true, [](const ClientState& s) { return std::to_string(s.gDayStartHour); }, "8"},
    {"Geppou", "Day", "21", true, [](const ClientState& s) { return std::to_string(s.gMonthStartDay); }, "21"},
    {"Nenpou", "Month", "4", true, [](const ClientState& s) { return std::to_string(s.gYearStartMonth); }, "4"},
    {"Inkan", "Name1", "場長", false, [](const ClientState& s) { return s.gInkanName1; }, "場長"},
    {"Inkan", "Name2", "課長", false, [](const ClientState& s) { return s.gInkanName2; }, "課長"},
    {"Inkan", "Name3", "係長", false, [](const ClientState& s) { return s.gInkanName3; }, "係長"},
    {"Inkan", "Name4", "担当", false, [](const ClientState& s) { return s.gInkanName4; }, "担当"},
    {"Mode", "Year", "6", true, [](const ClientState& s) { return std::to_string(s.gWesternYear); }, "6"},
    {"Inkan", "Kosuu", "3", true, [](const ClientState& s) { return std::to_string(s.gInkanCount); }, "3"},
    {"Tenki", "Flg", "2", true, [](const ClientState& s) { return std::to_string(s.gTenkiFlg); }, "2"},
    {"Keta", "Flg", "1", false, [](const ClientState& s) { return std::to_string(s.gKetaFlg); }, "1"},
    {"Inkan", "Flg", "5", true, [](const ClientState& s) { return std::to_string(s.gInkanFlg); }, "5"},
};

// The report file of kReportKeys, keys grouped under their sections; the key at index
// `broken` holds a value that is no number.
std::string ReportIniOf(std::size_t broken = std::size(kReportKeys)) {
  std::string ini;
  std::map<std::string, std::string> sections;
  for (std::size_t i = 0; i < std::size(kReportKeys); ++i) {
    const auto& k = kReportKeys[i];
    sections[k.section] += std::string(k.key) + "=" + (i == broken ? "x" : k.value) + "\r\n";
  }
  for (const auto& [name, lines] : sections) ini += "[" + name + "]\r\n" + lines;
  return ini;
}

TEST_F(SettingsTest, ReadsEveryKeyOfBothFiles) {
  ClientIni("[SQL]\r\nSOURCE=srv\r\nUID=sa\r\nPWD=pw\r\nDATABASE=plant\r\n[DB]\r\nFLG=0\r\n[KIND]\r\nFLG=1\r\n");
  ReportIni(ReportIniOf(), "VURODOR.INI");
  ReadSettings(s_, host_);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(s_.gSqlSource, "srv");
  EXPECT_EQ(s_.gSqlUid, "sa");
  EXPECT_EQ(s_.gSqlPwd, "pw");
  EXPECT_EQ(s_.gSqlDatabase, "plant");
  EXPECT_EQ(s_.gConnectString,
            "Provider=Microsoft.jet.OLEDB.4.0;Data Source=\\\\PLANT:8080\\vurodor\\TB_DataBase\\RIVove.mdb");
  EXPECT_EQ(s_.gKindFlg, "1");
  for (const auto& k : kReportKeys) EXPECT_EQ(k.read(s_), k.expected) << k.section << " " << k.key;
}

// A bad integer ends the reading at that key: every key before it has its new value, that
// key and every later one keep their old values. So the reading order itself is checked.
TEST_F(SettingsTest, EachIntegerKeyEndsTheReadingInItsTurn) {
  for (std::size_t broken = 0; broken < std::size(kReportKeys); ++broken) {
    if (!kReportKeys[broken].integer) continue;
    SCOPED_TRACE(kReportKeys[broken].key);
    host_.messages.clear();
    MarkReportValues();
    std::vector<std::string> old;
    for (const auto& k : kReportKeys) old.push_back(k.read(s_));
    ReportIni(ReportIniOf(broken));
    ReadSettings(s_, host_);
    EXPECT_EQ(Messages(), std::vector<std::string>{std::string(msg::kServerUnknown)});
    for (std::size_t i = 0; i < std::size(kReportKeys); ++i) {
      const auto& k = kReportKeys[i];
      EXPECT_EQ(k.read(s_), i < broken ? k.expected : old[i]) << k.section << " " << k.key;
    }
  }
}

// A value in single quotes loses them as one in double quotes does.
TEST_F(SettingsTest, QuotedValuesReadWithoutTheirQuotes) {
  std::string ini = ReportIniOf();
  ini.replace(ini.find("Day=21"), 6, "Day='21'");
  ini.replace(ini.find("Name=中央浄水場"), std::string("Name=中央浄水場").size(), "Name='Plant'");
  ini.replace(ini.find("Size=A4"), 7, "Size=\"A3\"");
  ReportIni(ini);
  ClientIni("[SQL]\r\nPWD='p;w'\r\n");
  ReadSettings(s_, host_);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(s_.gMonthStartDay, 21);
  EXPECT_EQ(s_.gTitle, "Plant");
  EXPECT_EQ(s_.gPaperSize, "A3");
  EXPECT_EQ(s_.gSqlPwd, "p;w");
  EXPECT_EQ(s_.gInkanFlg, 5);  // read to the end
}

TEST_F(SettingsTest, OnlyDbFlagOneSelectsSqlServerWithValuesAsRead) {
  const std::pair<const char*, bool> rows[] = {
      {"1", true}, {" 1 ", true}, {"0", false}, {"", false}, {"01", false}, {"yes", false}};
  for (const auto& [flag, sql] : rows) {
    SCOPED_TRACE(flag);
    ClientIni(std::string("[SQL]\r\nSOURCE=srv\\inst\r\nUID=u;x\r\nPWD=p;w=d\r\nDATABASE=日報\r\n[DB]\r\nFLG=") +
              flag + "\r\n");
    ReportIni(FullReportIni());
    ReadSettings(s_, host_);
    EXPECT_EQ(s_.gConnectString,
              sql ? "Provider=SQLOLEDB;Data Source=srv\\inst;Initial Catalog=日報;User ID=u;x;Password=p;w=d;"
                  : "Provider=Microsoft.jet.OLEDB.4.0;Data Source=\\\\PLANT:8080\\vurodor\\TB_DataBase\\RIVove.mdb");
  }
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(SettingsTest, MissingClientFileIsNoFailure) {
  ReportIni(FullReportIni());
  s_.gSqlPwd = "old";
  ReadSettings(s_, host_);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(s_.gSqlPwd, "");
  EXPECT_EQ(s_.gKindFlg, "");
  EXPECT_NE(s_.gConnectString.find("RIVove.mdb"), std::string::npos);
}

TEST_F(SettingsTest, KetaFlagIsOneOnlyForExactlyOne) {
  for (const auto& [flag, want] :
       std::vector<std::pair<std::string, int>>{{"1", 1}, {"2", 0}, {"true", 0}, {"", 0}, {"01", 0}}) {
    SCOPED_TRACE(flag);
    std::string ini = FullReportIni();
    ini.replace(ini.find("[Keta]\r\nFlg=1"), 13, "[Keta]\r\nFlg=" + flag);
    ReportIni(ini);
    ReadSettings(s_, host_);
    EXPECT_EQ(s_.gKetaFlg, want);
  }
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(SettingsTest, FirstBadIntegerEndsTheReadingKeepingEarlierValues) {
  struct Row {
    std::string from, to;
    int titleSet;      // 1 when gTitle / gPaperSize were read
    const char* inkanName1;  // "old" when the reading ended before the seal names
  };
  const Row rows[] = {
      {"Hour=8", "Hour=", 1, "old"},      {"Hour=8", "Hour=abc", 1, "old"},
      {"Hour=8", "Hour=40000", 1, "old"}, {"[Nippou]\r\nHour=8", "", 1, "old"},
      {"Kosuu=3", "Kosuu=x", 1, "課長"},
      // The whole section missing: the names read empty, then Kosuu fails.
      {"[Inkan]\r\nName1", "[Inka]\r\nName1", 1, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.to);
    host_.messages.clear();
    MarkReportValues();
    std::string ini = FullReportIni();
    ini.replace(ini.find(r.from), r.from.size(), r.to);
    ReportIni(ini);
    ReadSettings(s_, host_);
    ASSERT_EQ(Messages(), std::vector<std::string>{std::string(msg::kServerUnknown)});
    EXPECT_EQ(host_.messages[0].caption, msg::kCaptionConfirm);
    EXPECT_EQ(host_.messages[0].buttons, MsgBoxButtons::kOk);
    EXPECT_EQ(s_.gTitle, r.titleSet ? "中央浄水場" : "old");
    EXPECT_EQ(s_.gInkanName1, r.inkanName1);
    EXPECT_EQ(s_.gTenkiFlg, -7);
    EXPECT_EQ(s_.gKetaFlg, -7);
    EXPECT_EQ(s_.gInkanFlg, -7);
  }
}

TEST_F(SettingsTest, MissingReportFileFailsAtTheFirstInteger) {
  ClientIni("[DB]\r\nFLG=0\r\n");
  MarkReportValues();
  ReadSettings(s_, host_);
  EXPECT_EQ(Messages(), std::vector<std::string>{std::string(msg::kServerUnknown)});
  EXPECT_EQ(s_.gTitle, "");
  EXPECT_EQ(s_.gPaperSize, "");
  EXPECT_EQ(s_.gDayStartHour, -7);
}

TEST_F(SettingsTest, LongValuesArriveCutTo127Bytes) {
  std::string ini = FullReportIni();
  ini.replace(ini.find("Name=中央浄水場"), 18, "Name=" + std::string(200, 'T'));
  ReportIni(ini);
  ClientIni("[SQL]\r\nPWD=" + std::string(200, 'p') + "\r\n");
  ReadSettings(s_, host_);
  EXPECT_EQ(s_.gTitle, std::string(127, 'T'));
  EXPECT_EQ(s_.gSqlPwd, std::string(127, 'p'));
}

TEST_F(SettingsTest, GarbageHugeAndWrongEncodingFilesNeverCrash) {
  std::string garbage;
  for (int i = 0; i < 70000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 256));
  std::string huge = FullReportIni();
  for (int i = 0; i < 50000; ++i) huge += "[S" + std::to_string(i) + "]\r\nK=" + std::string(100, 'v') + "\r\n";
  const std::string utf8Ini = FullReportIni();  // written without conversion below
  const std::vector<std::pair<const char*, std::string>> rows = {
      {"garbage", garbage}, {"huge", huge}, {"utf8", utf8Ini}, {"nul", std::string("[Nippou]\0Hour=1", 15)}};
  for (const auto& [name, bytes] : rows) {
    SCOPED_TRACE(name);
    host_.messages.clear();
    WriteBytes(s_.env.shareRoot / "Vurodor.ini", bytes);
    WriteBytes(s_.env.clientDir / "TBWeb.ini", bytes);
    ReadSettings(s_, host_);
    EXPECT_LE(host_.messages.size(), 1u);
  }
  // The file read as the code page it claims: the integers still read, the texts differ.
  WriteBytes(s_.env.shareRoot / "Vurodor.ini", utf8Ini);
  host_.messages.clear();
  ReadSettings(s_, host_);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(s_.gDayStartHour, 8);
  EXPECT_NE(s_.gTitle, "中央浄水場");
}

TEST_F(SettingsTest, ServerFolderOffTheShareReadsLikeAMissingFile) {
  s_.gServerFolder = "C:\\elsewhere";
  ReportIni(FullReportIni());
  ReadSettings(s_, host_);
  EXPECT_EQ(Messages(), std::vector<std::string>{std::string(msg::kServerUnknown)});
  EXPECT_EQ(s_.gTitle, "");
}

class KanriQueryTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    db_ = s_.env.shareRoot / "TB_DataBase" / "Vurodor.mdb";
    std::filesystem::create_directories(db_.parent_path());
    MakeSqlite(db_, "CREATE TABLE 日報ページタイトル (PAGE INTEGER, Title TEXT);"
                    "INSERT INTO 日報ページタイトル VALUES (1, '取水'), (2, '配水');");
  }
  std::filesystem::path db_;
};

TEST_F(KanriQueryTest, OpensTheLayoutDatabaseOnEveryCallAndCloses) {
  db::Recordset rs;
  ASSERT_TRUE(OpenKanriQuery(s_, host_, "SELECT * FROM 日報ページタイトル ORDER BY PAGE", rs));
  EXPECT_TRUE(s_.gKanriCn != nullptr);
  EXPECT_EQ(rs.RecordCount(), 2u);
  EXPECT_EQ(rs.Field("Title"), "取水");
  CloseKanriQuery(s_, rs);
  EXPECT_FALSE(rs.IsOpen());
  EXPECT_TRUE(s_.gKanriCn == nullptr);
  // A fresh connection sees a replaced file.
  std::filesystem::remove(db_);
  MakeSqlite(db_, "CREATE TABLE 日報ページタイトル (PAGE INTEGER, Title TEXT);");
  ASSERT_TRUE(OpenKanriQuery(s_, host_, "SELECT * FROM 日報ページタイトル", rs));
  EXPECT_TRUE(rs.Eof());
  CloseKanriQuery(s_, rs);
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(KanriQueryTest, FailuresShowOneMessageAndLeaveTheRowSetAsItWas) {
  const std::string before = ReadBytes(db_);
  struct Row {
    const char* name;
    const char* folder;
    const char* sql;
  };
  const Row rows[] = {
      {"wrong sql", nullptr, "SELECT * FROM 月報ページタイトル"},
      {"write", nullptr, "DELETE FROM 日報ページタイトル"},
      {"no share", "\\\\PLANT\\nothere", "SELECT 1"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    host_.messages.clear();
    ClientState s;
    s.env = s_.env;
    SetServerLocation(s, "http://PLANT/docMain.vbd");
    if (r.folder) s.gServerFolder = r.folder;
    db::Recordset rs({"X"}, {{"1"}, {"2"}});
    rs.MoveNext();
    EXPECT_FALSE(OpenKanriQuery(s, host_, r.sql, rs));
    EXPECT_EQ(Messages(), std::vector<std::string>{std::string(msg::kDatabaseUnreachable)});
    EXPECT_EQ(host_.messages[0].caption, msg::kCaptionConfirm);
    EXPECT_EQ(rs.Field("X"), "2");
    EXPECT_TRUE(s.gKanriCn == nullptr);
  }
  EXPECT_EQ(ReadBytes(db_), before);
  std::filesystem::remove(db_);
  db::Recordset rs;
  EXPECT_FALSE(OpenKanriQuery(s_, host_, "SELECT 1", rs));
  EXPECT_FALSE(std::filesystem::exists(db_));
}

TEST_F(KanriQueryTest, DataConnectionOpensFromTheConnectString) {
  auto data = s_.env.shareRoot / "TB_DataBase" / "RIVove.mdb";
  MakeSqlite(data, "CREATE TABLE D_DDAT (DATE TEXT, TAG_ID INTEGER, DATA_1 TEXT);"
                   "INSERT INTO D_DDAT VALUES ('2026/3/7', 5, '1.5');");
  ReportIni(FullReportIni());
  ReadSettings(s_, host_);
  OpenDataConnection(s_);
  ASSERT_TRUE(s_.gDataCn != nullptr);
  auto rs = s_.gDataCn->Execute("SELECT * FROM D_DDAT WHERE DATE = '2026/3/7' AND TAG_ID = 5");
  EXPECT_EQ(rs.Field("DATA_1"), "1.5");
  std::filesystem::remove(data);
  EXPECT_THROW(OpenDataConnection(s_), db::DbError);
}

class WriteLogTest : public SettingsTest {};

TEST_F(WriteLogTest, AppendsCp932LinesToTheDaysFile) {
  host_.now = std::chrono::local_days{std::chrono::year{2026} / 12 / 7} + 9h + 15min + 2s;
  WriteLog(s_, host_, "MainPath = \\\\PLANT\\vurodor", "FormatFile = 日報,A3.fed");
  host_.now += 1h;
  WriteLog(s_, host_, "a", "b");
  const auto file = s_.env.clientDir / "WEBLOG" / "20261207.txt";
  EXPECT_EQ(ReadBytes(file),
            platform::Utf8ToCp932("2026/12/07,09:15:02,MainPath = \\\\PLANT\\vurodor,FormatFile = 日報,A3.fed\r\n"
                                  "2026/12/07,10:15:02,a,b\r\n"));
  host_.now = std::chrono::local_days{std::chrono::year{2027} / 1 / 1} + 0s;
  WriteLog(s_, host_, "", "");
  EXPECT_EQ(ReadBytes(s_.env.clientDir / "WEBLOG" / "20270101.txt"), "2027/01/01,00:00:00,,\r\n");
}

TEST_F(WriteLogTest, UsesAnExistingLogFolderOfAnyCaseAndFailsSilently) {
  std::filesystem::create_directories(s_.env.clientDir / "WebLog");
  host_.now = std::chrono::local_days{std::chrono::year{2026} / 3 / 7} + 0s;
  WriteLog(s_, host_, "x", "y");
  EXPECT_TRUE(std::filesystem::exists(s_.env.clientDir / "WebLog" / "20260307.txt"));

  ClientState blocked;
  blocked.env.clientDir = dir_.path() / "afile";
  WriteBytes(blocked.env.clientDir, "not a folder");
  EXPECT_NO_THROW(WriteLog(blocked, host_, "x", "y"));
  // A named pipe of the day's name: the write fails at once rather than waiting for a reader.
  const auto pipe = s_.env.clientDir / "WebLog" / "20260308.txt";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  host_.now += std::chrono::days{1};
  auto write = std::async(std::launch::async, [&] { WriteLog(s_, host_, "x", "y"); });
  const bool waited = write.wait_for(std::chrono::seconds(5)) != std::future_status::ready;
  while (write.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
    const int fd = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);  // lets a waiting write end
    if (fd >= 0) ::close(fd);
  }
  EXPECT_FALSE(waited);
  EXPECT_TRUE(std::filesystem::is_fifo(pipe));

  ClientState none;  // no client folder: nothing is written anywhere
  EXPECT_NO_THROW(WriteLog(none, host_, "x", "y"));
  EXPECT_FALSE(std::filesystem::exists("WEBLOG"));
}

}  // namespace
}  // namespace tb
