// The controls of frmTenkey: the entry txtNowData, the bounds (最大値 / 最小値), the pad
// cmdTenKey(0..11) laid out 7 8 9 / 4 5 6 / 1 2 3 / 0 ・ －, and CLR, 取 消, 確 定 in a
// column on the right. Positions in twips of the dialog's client area.
#pragma once

#include "client/core/controls.h"

namespace tb {

void AddTenkeyControls(ControlSet& controls);

}  // namespace tb
