#include "client/printing/layout_queries.h"

#include "client/core/messages.h"
#include "client/printing/page_fill.h"

namespace tb::print {

LayoutQueries::~LayoutQueries() {
  if (s_.gKanriCn) s_.gKanriCn->Close();
  s_.gKanriCn.reset();
}

void LayoutQueries::Run(std::string_view sql, db::Recordset& rs) {
  if (!s_.gKanriCn) {
    OpenLayoutQuery(s_, host_, sql, rs);
    return;
  }
  try {
    rs = s_.gKanriCn->Execute(sql);
  } catch (...) {
    // Closed before the message waits for the person; dropped with the job's queries.
    s_.gKanriCn->Close();
    host_.MsgBox(msg::kDatabaseUnreachable, MsgBoxButtons::kOk, msg::kCaptionConfirm);
    throw db::DbError("the layout database cannot be read");
  }
}

}  // namespace tb::print
