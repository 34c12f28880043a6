// The server location, the database context of a state and the layout-database
// procedures of the main module.
#include "client/core/client_state.h"

#include "client/core/host.h"
#include "client/core/messages.h"

namespace tb {
namespace {

constexpr std::string_view kKanriConnectPrefix = "Provider=Microsoft.jet.OLEDB.4.0;Data Source=";
constexpr std::string_view kKanriFile = "\\TB_DataBase\\Vurodor.mdb";
constexpr std::string_view kShareSuffix = "\\vurodor";

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char a = text[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != prefix[i]) return false;
  }
  return true;
}

// The plain web address rule: the server part ends at the first "/" from character
// position 9 on, and the host is what follows the 7-character scheme prefix.
void SetPlainHttpLocation(ClientState& s, std::string_view url) {
  auto slash = url.size() > 8 ? url.find('/', 8) : std::string_view::npos;
  s.gServerUrl = std::string(url.substr(0, slash));
  s.gBaseUrl = s.gServerUrl + "/";
  std::string_view host = s.gServerUrl.size() > 7 ? std::string_view(s.gServerUrl).substr(7) : "";
  s.gServerFolder = "\\\\" + std::string(host) + std::string(kShareSuffix);
}

}  // namespace

db::ConnectionContext ClientState::DbContext() const {
  db::ConnectionContext c;
  c.shareRoot = env.shareRoot;
  c.jetCacheDir = env.jetCacheDir;
  c.sqlSource = gSqlSource;
  c.sqlDatabase = gSqlDatabase;
  c.sqlUid = gSqlUid;
  c.sqlPwd = gSqlPwd;
  c.odbcPlan = env.odbcPlan;
  return c;
}

void SetServerLocation(ClientState& s, std::string_view locationUrl) {
  auto scheme = locationUrl.find("://");
  if (StartsWithIgnoringCase(locationUrl, "http://") || scheme == std::string_view::npos) {
    SetPlainHttpLocation(s, locationUrl);
    return;
  }
  // Any other scheme (https above all): the host is the part after "://" up to the next
  // "/", so that the share folder names the host whatever the scheme's length.
  const std::size_t hostStart = scheme + 3;
  const std::size_t hostEnd = locationUrl.find('/', hostStart);
  std::string_view host = locationUrl.substr(hostStart, hostEnd == std::string_view::npos
                                                           ? std::string_view::npos
                                                           : hostEnd - hostStart);
  s.gServerUrl = std::string(locationUrl.substr(0, hostEnd));
  s.gBaseUrl = s.gServerUrl + "/";
  s.gServerFolder = "\\\\" + std::string(host) + std::string(kShareSuffix);
}

bool OpenKanriQuery(ClientState& s, Host& host, std::string_view sql, db::Recordset& rs) {
  try {
    // Every call opens the layout database anew.
    if (s.gKanriCn) s.gKanriCn->Close();
    s.gKanriCn = db::Connection::Open(
        std::string(kKanriConnectPrefix) + s.gServerFolder + std::string(kKanriFile), s.DbContext());
    rs = s.gKanriCn->Execute(sql);
    return true;
  } catch (...) {
    // A connection that opened but could not run the query is not left open.
    if (s.gKanriCn) s.gKanriCn->Close();
    s.gKanriCn.reset();
    host.MsgBox(msg::kDatabaseUnreachable, MsgBoxButtons::kOk, msg::kCaptionConfirm);
    return false;
  }
}

void CloseKanriQuery(ClientState& s, db::Recordset& rs) {
  rs.Close();
  if (s.gKanriCn) s.gKanriCn->Close();
  s.gKanriCn.reset();
}

void OpenDataConnection(ClientState& s) {
  if (s.gDataCn) s.gDataCn->Close();
  s.gDataCn.reset();
  s.gDataCn = db::Connection::Open(s.gConnectString, s.DbContext());
}

}  // namespace tb
