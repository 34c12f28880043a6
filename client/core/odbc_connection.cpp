// The ODBC connection: handles, connect with timeouts, run a query and fetch every row as
// text through the wide calls.
#include "client/core/odbc_connection.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <memory>

#include "client/core/utf16.h"

namespace tb::db {
namespace {

std::u16string Wide(std::string_view utf8) { return Utf8ToUtf16(utf8); }
SQLWCHAR* W(std::u16string& s) { return reinterpret_cast<SQLWCHAR*>(s.data()); }

// The driver's diagnostic records of a handle, joined.
std::string Diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::string out;
  for (SQLSMALLINT rec = 1; rec <= 5; ++rec) {
    SQLWCHAR state[6] = {};
    SQLWCHAR text[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT len = 0;
    SQLRETURN rc = SQLGetDiagRecW(type, handle, rec, state, &native, text, 1024, &len);
    if (!SQL_SUCCEEDED(rc)) break;
    if (!out.empty()) out += "; ";
    out += Utf16ToUtf8(reinterpret_cast<const char16_t*>(state)) + " " +
           Utf16ToUtf8(reinterpret_cast<const char16_t*>(text));
  }
  return out;
}

[[noreturn]] void Fail(std::string_view what, SQLSMALLINT type, SQLHANDLE handle) {
  std::string text(what);
  if (handle) text += ": " + Diagnostics(type, handle);
  throw DbError(text);
}

struct StatementCloser {
  void operator()(void* h) const { SQLFreeHandle(SQL_HANDLE_STMT, h); }
};
using Statement = std::unique_ptr<void, StatementCloser>;

std::vector<std::string> ColumnNames(SQLHSTMT st) {
  SQLSMALLINT n = 0;
  if (!SQL_SUCCEEDED(SQLNumResultCols(st, &n))) Fail("cannot read the columns", SQL_HANDLE_STMT, st);
  std::vector<std::string> names;
  for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(n); ++i) {
    SQLWCHAR name[512] = {};
    SQLSMALLINT len = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    if (!SQL_SUCCEEDED(SQLDescribeColW(st, i, name, 512, &len, &type, &size, &digits, &nullable)))
      Fail("cannot read the columns", SQL_HANDLE_STMT, st);
    names.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(name)));
  }
  return names;
}

// One field as text, read in pieces so that long texts arrive whole.
Value FieldText(SQLHSTMT st, SQLUSMALLINT col) {
  std::u16string out;
  char16_t buf[2048];
  for (;;) {
    SQLLEN ind = 0;
    SQLRETURN rc = SQLGetData(st, col, SQL_C_WCHAR, buf, sizeof buf, &ind);
    if (rc == SQL_NO_DATA) break;
    if (!SQL_SUCCEEDED(rc)) Fail("cannot read a field", SQL_HANDLE_STMT, st);
    if (ind == SQL_NULL_DATA) return std::nullopt;
    const std::size_t room = sizeof buf / sizeof buf[0] - 1;
    std::size_t got = (ind == SQL_NO_TOTAL || static_cast<std::size_t>(ind) / 2 > room)
                          ? room
                          : static_cast<std::size_t>(ind) / 2;
    out.append(buf, got);
    if (rc == SQL_SUCCESS) break;  // SQL_SUCCESS_WITH_INFO: more to come
  }
  return Utf16ToUtf8(out);
}

}  // namespace

OdbcConnection::OdbcConnection(const OdbcConnectPlan& plan)
    : queryTimeoutSeconds_(plan.queryTimeoutSeconds) {
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_)))
    throw DbError("ODBC is not available");
  SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_))) {
    Close();
    throw DbError("ODBC is not available");
  }
  // Without a login timeout a server that accepts and never answers hangs the connect.
  SQLSetConnectAttr(dbc_, SQL_ATTR_LOGIN_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(plan.loginTimeoutSeconds)), 0);
  SQLSetConnectAttr(dbc_, SQL_ATTR_CONNECTION_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(plan.connectionTimeoutSeconds)),
                    0);
  std::u16string text = Wide(plan.connectionString);
  SQLRETURN rc = SQLDriverConnectW(dbc_, nullptr, W(text), static_cast<SQLSMALLINT>(text.size()),
                                   nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) {
    std::string diag = Diagnostics(SQL_HANDLE_DBC, dbc_);
    Close();
    throw DbError("cannot connect to the database: " + diag);
  }
  connected_ = true;
}

OdbcConnection::~OdbcConnection() { Close(); }

void OdbcConnection::Close() {
  if (dbc_) {
    if (connected_) SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
  }
  if (env_) SQLFreeHandle(SQL_HANDLE_ENV, env_);
  dbc_ = env_ = nullptr;
  connected_ = false;
}

Recordset OdbcConnection::Execute(std::string_view sql) {
  if (!connected_) throw DbError("the connection is closed");
  SQLHSTMT raw = nullptr;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &raw)))
    Fail("cannot run the query", SQL_HANDLE_DBC, dbc_);
  Statement st(raw);
  SQLSetStmtAttr(raw, SQL_ATTR_QUERY_TIMEOUT,
                 reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(queryTimeoutSeconds_)), 0);
  std::u16string text = Wide(sql);
  SQLRETURN rc = SQLExecDirectW(raw, W(text), static_cast<SQLINTEGER>(text.size()));
  if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) Fail("cannot run the query", SQL_HANDLE_STMT, raw);
  std::vector<std::string> columns = ColumnNames(raw);
  std::vector<std::vector<Value>> rows;
  while (!columns.empty()) {
    rc = SQLFetch(raw);
    if (rc == SQL_NO_DATA) break;
    if (!SQL_SUCCEEDED(rc)) Fail("cannot read the rows", SQL_HANDLE_STMT, raw);
    auto& row = rows.emplace_back();
    for (SQLUSMALLINT i = 1; i <= columns.size(); ++i) row.push_back(FieldText(raw, i));
  }
  return Recordset(std::move(columns), std::move(rows));
}

std::unique_ptr<Connection> OpenSqlServer(const ConnectionContext& context) {
  if (context.odbcPlan) return std::make_unique<OdbcConnection>(context.odbcPlan(context));
  auto driver = FindFreeTdsDriver();
  if (!driver) throw DbError("the SQL Server driver (FreeTDS ODBC) is not installed");
  return std::make_unique<OdbcConnection>(SqlServerPlan(context, *driver));
}

}  // namespace tb::db
