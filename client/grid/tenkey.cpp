#include "client/grid/tenkey.h"

#include "client/grid/frm_tenkey.h"

namespace tb {

// The dialog is made afresh for every call, so nothing of an earlier entry stays in it.
// gTenkeyOk and gTenkeyResult are set to "cancelled" before it shows: a host that returns
// without the dialog having closed cannot hand the caller an earlier dialog's result.
void ShowTenkey(ClientState& s, Host& host, std::string_view value, std::string_view upper,
                std::string_view lower) {
  s.gTenkeyValue = std::string(value);
  s.gTenkeyMax = std::string(upper);
  s.gTenkeyMin = std::string(lower);
  s.gTenkeyTyping = 0;
  s.gTenkeyOld = std::string(value);
  s.gTenkeyOk = 0;
  s.gTenkeyResult = s.gTenkeyOld;
  FrmTenkey dialog(s, host);
  host.ShowModal(dialog);
}

}  // namespace tb
