// ReadSettings: TBWeb.ini from the client folder, then Vurodor.ini from the share, in a
// fixed order; the first failure shows one message and ends the reading, keeping what was
// read before it.
#include <optional>

#include "client/core/client_state.h"
#include "client/core/formatting.h"
#include "client/core/host.h"
#include "client/core/messages.h"
#include "platform/profile.h"
#include "platform/share_path.h"

namespace tb {
namespace {

constexpr std::string_view kJetPrefix = "Provider=Microsoft.jet.OLEDB.4.0;Data Source=";
constexpr std::string_view kDataFile = "\\TB_DataBase\\RIVove.mdb";

struct SettingsFailure {};

// One settings file read value by value; a missing file reads as empty values.
class SettingsFile {
 public:
  explicit SettingsFile(std::optional<std::filesystem::path> file) : file_(std::move(file)) {}

  [[nodiscard]] std::string Text(std::string_view section, std::string_view key) const {
    if (!file_) return {};
    return platform::ReadProfileStringUtf8(*file_, section, key, "", platform::kProfileBufferSize);
  }
  // A 16-bit integer key; an empty, non-numeric or out-of-range value fails the reading.
  [[nodiscard]] std::int16_t Int16(std::string_view section, std::string_view key) const {
    auto v = ParseInt16(Text(section, key));
    if (!v) throw SettingsFailure{};
    return *v;
  }

 private:
  std::optional<std::filesystem::path> file_;
};

void ReadClientSettings(ClientState& s, const SettingsFile& ini) {
  s.gSqlSource = ini.Text("SQL", "SOURCE");
  s.gSqlUid = ini.Text("SQL", "UID");
  s.gSqlPwd = ini.Text("SQL", "PWD");
  s.gSqlDatabase = ini.Text("SQL", "DATABASE");
  if (ini.Text("DB", "FLG") == "1") {
    s.gConnectString = "Provider=SQLOLEDB;Data Source=" + s.gSqlSource +
                       ";Initial Catalog=" + s.gSqlDatabase + ";User ID=" + s.gSqlUid +
                       ";Password=" + s.gSqlPwd + ";";
  } else {
    s.gConnectString = std::string(kJetPrefix) + s.gServerFolder + std::string(kDataFile);
  }
  s.gKindFlg = ini.Text("KIND", "FLG");
}

// The 14 report settings, each stored as soon as it is read.
void ReadReportSettings(ClientState& s, const SettingsFile& ini) {
  s.gTitle = ini.Text("Title", "Name");
  s.gPaperSize = ini.Text("Print", "Size");
  s.gDayStartHour = ini.Int16("Nippou", "Hour");
  s.gMonthStartDay = ini.Int16("Geppou", "Day");
  s.gYearStartMonth = ini.Int16("Nenpou", "Month");
  s.gInkanName1 = ini.Text("Inkan", "Name1");
  s.gInkanName2 = ini.Text("Inkan", "Name2");
  s.gInkanName3 = ini.Text("Inkan", "Name3");
  s.gInkanName4 = ini.Text("Inkan", "Name4");
  s.gWesternYear = ini.Int16("Mode", "Year");
  s.gInkanCount = ini.Int16("Inkan", "Kosuu");
  s.gTenkiFlg = ini.Int16("Tenki", "Flg");
  s.gKetaFlg = ini.Text("Keta", "Flg") == "1" ? 1 : 0;
  s.gInkanFlg = ini.Int16("Inkan", "Flg");
}

}  // namespace

void ReadSettings(ClientState& s, Host& host) {
  try {
    // The client's own file: its name may be written in any letter case. Without a
    // configured folder the files read as missing (never from the working directory).
    SettingsFile client(s.env.clientDir.empty()
                            ? std::nullopt
                            : platform::FindEntryIgnoringCase(s.env.clientDir, "TBWeb.ini"));
    ReadClientSettings(s, client);
    SettingsFile report(
        s.env.shareRoot.empty()
            ? std::nullopt
            : platform::ResolveSharePath(s.gServerFolder + "\\Vurodor.ini", s.env.shareRoot));
    ReadReportSettings(s, report);
  } catch (...) {
    host.MsgBox(msg::kServerUnknown, MsgBoxButtons::kOk, msg::kCaptionConfirm);
  }
}

}  // namespace tb
