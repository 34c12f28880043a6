// What reaches the ODBC driver: the connection text with braced values and the timeouts.
// Kept apart from the connection so that it can be checked without a driver.
#include <cstdlib>

#include "client/core/odbc_connection.h"

namespace tb::db {

std::string OdbcBraced(std::string_view value) {
  std::string out = "{";
  for (char c : value) {
    out.push_back(c);
    if (c == '}') out.push_back('}');
  }
  out.push_back('}');
  return out;
}

std::string FreeTdsBraced(std::string_view value) {
  if (value.find("};") != std::string_view::npos)
    throw DbError("a SQL Server setting holding \"};\" cannot be passed to the driver");
  return "{" + std::string(value) + "}";
}

std::string OdbcConnectionString(const std::filesystem::path& driver,
                                 const OdbcAttributes& attributes) {
  std::string out = "DRIVER=" + OdbcBraced(driver.string()) + ";";
  for (const auto& [key, value] : attributes) out += key + "=" + FreeTdsBraced(value) + ";";
  return out;
}

OdbcConnectPlan SqlServerPlan(const ConnectionContext& context,
                              const std::filesystem::path& driver) {
  // FreeTDS reads "host", "host,port" and "host\instance" in SERVER as SQL Server does
  // in its Data Source. Texts travel as UTF-16 through the wide calls; ClientCharset
  // keeps any narrow conversion inside the driver in UTF-8. The protocol version is
  // fixed: with the driver's automatic version probing, a server that accepts and never
  // answers hangs the connect whatever the login timeout (measured with FreeTDS 1.3).
  const char* version = std::getenv("TB_TDS_VERSION");
  OdbcAttributes attrs = {{"SERVER", context.sqlSource},
                          {"DATABASE", context.sqlDatabase},
                          {"UID", context.sqlUid},
                          {"PWD", context.sqlPwd},
                          {"TDS_Version", version && *version ? version : kTdsVersion},
                          {"ClientCharset", "UTF-8"}};
  OdbcConnectPlan plan;
  plan.connectionString = OdbcConnectionString(driver, attrs);
  plan.loginTimeoutSeconds = context.loginTimeoutSeconds > 0 ? context.loginTimeoutSeconds : 10;
  plan.connectionTimeoutSeconds = plan.loginTimeoutSeconds;
  plan.queryTimeoutSeconds = kQueryTimeoutSeconds;
  return plan;
}

std::optional<std::filesystem::path> FindFreeTdsDriver() {
  std::error_code ec;
  if (const char* env = std::getenv("TB_FREETDS_DRIVER"); env && *env) {
    if (std::filesystem::is_regular_file(env, ec)) return std::filesystem::path(env);
    return std::nullopt;
  }
  for (const char* dir : {"/usr/lib/x86_64-linux-gnu/odbc", "/usr/lib/aarch64-linux-gnu/odbc",
                          "/usr/lib/odbc", "/usr/local/lib"}) {
    std::filesystem::path p = std::filesystem::path(dir) / "libtdsodbc.so";
    if (std::filesystem::is_regular_file(p, ec)) return p;
  }
  return std::nullopt;
}

}  // namespace tb::db
