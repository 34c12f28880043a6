// The page models tbclient serves: "docMain" (selection page) and "docGrid" (grid page).
#pragma once

#include "client/web/session.h"

namespace tb::web {

// Makes docMain or docGrid for a session; nullptr for any other name.
PageFactory ReportPages();

}  // namespace tb::web
