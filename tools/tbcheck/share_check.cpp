#include "tools/tbcheck/share_check.h"

#include <iomanip>

#include "client/core/query_texts.h"
#include "tools/tbcheck/console_host.h"

namespace tbcheck {
namespace {

constexpr const char* kKindNames[] = {"日報", "月報", "年報"};

std::string Text(const tb::db::Recordset& rs, const char* column) {
  if (!rs.HasColumn(column)) return "?";
  const auto& v = rs.Field(column);
  return v ? *v : "(Null)";
}

void PrintSettings(const tb::ClientState& s, std::ostream& out) {
  out << "Settings\n"
      << "  gServerFolder   " << s.gServerFolder << "\n"
      << "  gConnectString  " << s.gConnectString << "\n"
      << "  gKindFlg        " << s.gKindFlg << "\n"
      << "  gTitle          " << s.gTitle << "\n"
      << "  gPaperSize      " << s.gPaperSize << "\n"
      << "  gDayStartHour   " << s.gDayStartHour << "\n"
      << "  gMonthStartDay  " << s.gMonthStartDay << "\n"
      << "  gYearStartMonth " << s.gYearStartMonth << "\n"
      << "  gInkanName1..4  " << s.gInkanName1 << " / " << s.gInkanName2 << " / "
      << s.gInkanName3 << " / " << s.gInkanName4 << "\n"
      << "  gWesternYear    " << s.gWesternYear << "\n"
      << "  gInkanCount     " << s.gInkanCount << "\n"
      << "  gTenkiFlg       " << s.gTenkiFlg << "\n"
      << "  gKetaFlg        " << s.gKetaFlg << "\n"
      << "  gInkanFlg       " << s.gInkanFlg << "\n";
}

void PrintPageCount(tb::ClientState& s, tb::Host& host, int kind, std::ostream& out) {
  tb::db::Recordset rs;
  std::string count = "unreadable";
  if (tb::OpenKanriQuery(s, host, tb::sql::PageCount(kind), rs)) {
    count = (rs.Eof() ? "no rows" : Text(rs, "MAXP")) + " pages";
    tb::CloseKanriQuery(s, rs);
  }
  // Printed after the query, so that a message of the core stands on its own line.
  out << "  " << kKindNames[kind - 1] << " (" << tb::sql::DataTable(kind) << "): " << count << "\n";
}

void PrintFirstPage(tb::ClientState& s, tb::Host& host, int kind, std::ostream& out) {
  tb::db::Recordset rs;
  std::string title;
  if (tb::OpenKanriQuery(s, host, tb::sql::PageTitle(kind, 1), rs)) {
    title = rs.Eof() ? "" : Text(rs, "Title");
    tb::CloseKanriQuery(s, rs);
  }
  out << "First page of " << kKindNames[kind - 1] << ": " << title << "\n";
  if (!tb::OpenKanriQuery(s, host, tb::sql::PageQuery(tb::sql::ItemQuery(kind), kind, 1), rs))
    return;
  for (; !rs.Eof(); rs.MoveNext())
    out << "  " << std::setw(2) << Text(rs, "項目NO") << "  TAG " << Text(rs, "TAG_ID") << "  "
        << Text(rs, "BIGN") << " / " << Text(rs, "MIDN") << " / " << Text(rs, "SMLN") << "  ["
        << Text(rs, "TANN") << "]  有効桁 " << Text(rs, "有効桁") << "  P種別 "
        << Text(rs, "P種別") << "\n";
  tb::CloseKanriQuery(s, rs);
}

}  // namespace

int CheckShare(const tb::ClientEnvironment& env, std::ostream& out) {
  ConsoleHost host(out);
  tb::ClientState s;
  s.env = env;
  tb::SetServerLocation(s, host.LocationUrl());
  tb::ReadSettings(s, host);
  PrintSettings(s, out);
  out << "Pages\n";
  for (int kind = 1; kind <= 3; ++kind) PrintPageCount(s, host, kind, out);
  for (int kind = 1; kind <= 3; ++kind) PrintFirstPage(s, host, kind, out);
  return host.MessageCount();
}

}  // namespace tbcheck
