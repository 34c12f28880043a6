// The layout-database queries of one period's print job. The first query opens the layout
// database as every layout query does (OpenKanriQuery; a failure shows
// "データベースが接続できません。"); the connection then stays open for the job's later
// queries, so a period of eight pages opens the file once instead of eighteen times. A
// later query that fails shows the same message and closes the connection. Every failure
// ends the job (DbError). The connection is closed when the object goes. One job, one
// thread.
#pragma once

#include <string_view>

#include "client/core/client_state.h"
#include "client/core/host.h"

namespace tb::print {

class LayoutQueries {
 public:
  LayoutQueries(ClientState& s, Host& host) : s_(s), host_(host) {}
  ~LayoutQueries();
  LayoutQueries(const LayoutQueries&) = delete;
  LayoutQueries& operator=(const LayoutQueries&) = delete;

  // Runs sql into rs on the job's connection (s.gKanriCn). Throws DbError.
  void Run(std::string_view sql, db::Recordset& rs);

 private:
  ClientState& s_;
  Host& host_;
};

}  // namespace tb::print
