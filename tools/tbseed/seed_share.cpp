// The seeder's order of work: folders, the two settings files, the two databases.
#include "tools/tbseed/seed_share.h"

#include <fstream>
#include <stdexcept>

#include "platform/codepage.h"

namespace tbseed {
namespace {

void WriteCp932File(const std::filesystem::path& file, const std::string& utf8) {
  std::filesystem::path temp = file;
  temp += ".seeding";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << platform::Utf8ToCp932(utf8);
    if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
  }
  std::filesystem::rename(temp, file);
}

std::string ReportSettings(const SeedOptions& o) {
  return "[Title]\r\nName=中央浄水場 運転管理帳票\r\n"
         "[Print]\r\nSize=A3\r\n"
         "[Nippou]\r\nHour=" + std::to_string(o.dayStartHour) + "\r\n"
         "[Geppou]\r\nDay=1\r\n"
         "[Nenpou]\r\nMonth=4\r\n"
         "[Inkan]\r\nName1=場長\r\nName2=課長\r\nName3=係長\r\nName4=担当\r\nKosuu=4\r\nFlg=0\r\n"
         "[Mode]\r\nYear=1\r\n"
         "[Tenki]\r\nFlg=1\r\n"
         "[Keta]\r\nFlg=1\r\n"
         "[WEB]\r\nODBCNAME=Vurodor\r\n";
}

std::string ClientSettings() {
  return "[SQL]\r\nSOURCE=\r\nUID=\r\nPWD=\r\nDATABASE=\r\n"
         "[DB]\r\nFLG=0\r\n"
         "[KIND]\r\nFLG=1\r\n"
         "[Vurodor]\r\ndsn=Vurodor\r\n";
}

}  // namespace

std::string DayKey(std::chrono::year_month_day d) {
  return YearKey(d) + "/" + std::to_string(static_cast<unsigned>(d.month())) + "/" +
         std::to_string(static_cast<unsigned>(d.day()));
}
std::string MonthKey(std::chrono::year_month_day d) {
  return YearKey(d) + "/" + std::to_string(static_cast<unsigned>(d.month()));
}
std::string YearKey(std::chrono::year_month_day d) {
  return std::to_string(static_cast<int>(d.year()));
}

SeedSummary SeedShare(const SeedOptions& options) {
  if (options.tags < 1 || options.years < 1 || !options.endDate.ok())
    throw std::runtime_error("bad seeding options");
  const auto dbDir = options.shareRoot / "TB_DataBase";
  std::filesystem::create_directories(dbDir);
  std::filesystem::create_directories(options.clientDir);

  SeedSummary summary;
  summary.plant = BuildPlant(options.tags);
  WriteLayoutDatabase(dbDir / "Vurodor.mdb", summary.plant);
  WriteDataDatabase(dbDir / "RIVove.mdb", options, summary);
  // The settings last: a share with settings is a finished share.
  WriteCp932File(options.clientDir / "TBWeb.ini", ClientSettings());
  WriteCp932File(options.shareRoot / "Vurodor.ini", ReportSettings(options));
  return summary;
}

}  // namespace tbseed
