// The ten-key dialog frmTenkey and ShowTenkey, which opens it modally: a bounded number
// pad used by the date labels of the selection page and the page-number label of the grid
// page. The result comes back through the shared state (gTenkeyOk, gTenkeyResult).
#pragma once

#include <string_view>

#include "client/core/client_state.h"
#include "client/core/host.h"

namespace tb {

// Sets gTenkeyValue, gTenkeyMax, gTenkeyMin, gTenkeyOld, resets gTenkeyTyping, shows the
// dialog modally and returns when it has closed; the caller then reads gTenkeyOk and
// gTenkeyResult. Closing the window by its close box counts as 取 消.
void ShowTenkey(ClientState& s, Host& host, std::string_view value, std::string_view upper,
                std::string_view lower);

}  // namespace tb
