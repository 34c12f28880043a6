// The shared state of the report client's main module: one ClientState per browser
// session, holding every module-level variable under its own name. The selection page
// writes the current report, the grid page and printing read it; the ten-key dialog hands
// its result over through it. Lives as long as the session; nothing is persisted.
// Not thread-safe: owned by the session's UI thread.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "client/core/database.h"

namespace tb {

// The zero date of the client's date values (30 December 1899).
inline constexpr std::chrono::year_month_day kZeroDate{std::chrono::year{1899},
                                                       std::chrono::December,
                                                       std::chrono::day{30}};

// Where this client installation lives on the machine.
struct ClientEnvironment {
  std::filesystem::path shareRoot;    // stands for \\HOST\vurodor
  std::filesystem::path clientDir;    // folder of the client: TBWeb.ini, WEBLOG/
  std::filesystem::path jetCacheDir;  // caches of imported Jet files
  std::filesystem::path formLibrary;  // libfmdraw32.so to bind on first print
  db::OdbcPlanMaker odbcPlan;         // empty: SQL Server through FreeTDS
};

struct ClientState {
  ClientEnvironment env;

  // Location and settings.
  std::string gServerUrl, gBaseUrl, gServerFolder;
  std::string gConnectString;
  std::string gSqlSource, gSqlUid, gSqlPwd, gSqlDatabase;
  std::string gKindFlg;  // TBWeb.ini [KIND] FLG as read ("1" vbd, "0" bin)
  std::string gTitle, gPaperSize;
  std::int16_t gDayStartHour = 0, gMonthStartDay = 0, gYearStartMonth = 0;
  std::string gInkanName1, gInkanName2, gInkanName3, gInkanName4;
  std::int16_t gWesternYear = 0, gInkanCount = 0, gTenkiFlg = 0, gKetaFlg = 0, gInkanFlg = 0;

  // Current report.
  std::int16_t gReportKind = 0;
  std::string gDateKey;
  std::chrono::year_month_day gReportDate = kZeroDate;
  std::chrono::year_month_day gEndDate = kZeroDate;
  std::string gDateCaption;
  std::int16_t gColumnCount = 0, gPeriodStart = 0;
  std::string gPeriodUnit, gDataTable, gItemSql, gPageSql;
  std::int16_t gMaxPage = 0, gCurrentPage = 0;

  // Ten-key dialog hand-over.
  std::string gTenkeyValue, gTenkeyMax, gTenkeyMin, gTenkeyOld, gTenkeyResult;
  std::int16_t gTenkeyOk = 0, gTenkeyTyping = 0;

  // Grid page.
  std::array<std::string, 16> gColPattern{};
  std::array<std::int16_t, 16> gColDisplayType{};
  std::int16_t gTitleJump = 0;
  // Current column of the grid page's grid, for the ten-key dialog's "・" key; -1 when no
  // grid page is loaded.
  int gGridCurrentCol = -1;

  // Database objects.
  std::unique_ptr<db::Connection> gKanriCn;
  db::Recordset gKanriRs;
  std::unique_ptr<db::Connection> gDataCn;
  db::Recordset gDataRs;

  // Printing.
  std::array<std::int32_t, 4> gPrintSession{};
  std::string gSavedDevice;
  std::array<std::int32_t, 9> gPaperLayout{};

  // The connection context of this state's databases (share root, SQL Server values).
  [[nodiscard]] db::ConnectionContext DbContext() const;
};

class Host;

// Reads TBWeb.ini (client folder) and Vurodor.ini (share) into the state and builds
// gConnectString. The first failure shows "サーバーを認識できません。" and ends the
// procedure; values read before it keep their new values.
void ReadSettings(ClientState& s, Host& host);

// Opens the layout database (Vurodor.mdb on the share) on gKanriCn and runs sql into rs.
// On failure shows "データベースが接続できません。", leaves rs as it was and returns false.
bool OpenKanriQuery(ClientState& s, Host& host, std::string_view sql, db::Recordset& rs);
// Closes rs and the layout connection.
void CloseKanriQuery(ClientState& s, db::Recordset& rs);

// Opens gDataCn on gConnectString. Throws DbError.
void OpenDataConnection(ClientState& s);

// Appends "yyyy/mm/dd,hh:nn:ss,first,second" CR LF (CP932) to
// WEBLOG/YYYYMMDD.txt in the client folder; any failure is silent.
void WriteLog(ClientState& s, Host& host, std::string_view first, std::string_view second);

// Sets gServerUrl, gBaseUrl and gServerFolder from the page address.
void SetServerLocation(ClientState& s, std::string_view locationUrl);

}  // namespace tb
