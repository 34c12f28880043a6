// The ten-key dialog: a user's key sequences and what the caller gets back.
#include "client/grid/frm_tenkey.h"

#include <gtest/gtest.h>


#include "client/core/scripted_host.h"
#include "client/grid/tenkey.h"

namespace tb {
namespace {

// Plays one action on the dialog: a pad key ("0".."9", "・", "－"), "CLR", "OK" (確 定),
// "CANCEL" (取 消), "CLOSE" (the close box), "ENTER" (key 13) or "type:TEXT" (keyboard
// typing into txtNowData).
bool Play(FrmTenkey& d, const std::string& action) {
  using K = UiEvent::Kind;
  if (action == "CLR") return d.Handle({K::kClick, "cmdClr"});
  if (action == "OK") return d.Handle({K::kClick, "cmdKakutei"});
  if (action == "CANCEL") return d.Handle({K::kClick, "cmdCancel"});
  if (action == "CLOSE") return d.Handle({K::kClose, ""});
  if (action == "ENTER") return d.Handle({K::kKeyPress, "txtNowData", 13});
  if (action == "・") return d.Handle({K::kClick, "cmdTenKey_10"});
  if (action == "－") return d.Handle({K::kClick, "cmdTenKey_11"});
  if (action.rfind("type:", 0) == 0)
    return d.Handle({K::kTextChange, "txtNowData", 0, action.substr(5)});
  return d.Handle({K::kClick, "cmdTenKey_" + action});
}

struct Case {
  int line;
  const char* value;
  const char* lower;
  const char* upper;
  int displayType;  // of the grid's current column; -1: no grid page loaded
  std::vector<std::string> actions;
  const char* entry;     // txtNowData afterwards
  const char* result;    // gTenkeyResult
  int ok;                // gTenkeyOk
  bool closed;
  const char* messages;  // joined with "|"
};

class TenkeyDialog : public ::testing::TestWithParam<Case> {};

TEST_P(TenkeyDialog, KeySequence) {
  const Case& c = GetParam();
  ClientState s;
  ScriptedHost host;
  s.gTenkeyValue = s.gTenkeyOld = s.gTenkeyResult = c.value;
  s.gTenkeyMin = c.lower;
  s.gTenkeyMax = c.upper;
  s.gTenkeyTyping = 0;
  s.gTenkeyOk = 0;
  if (c.displayType >= 0) {
    s.gGridCurrentCol = 4;
    s.gColDisplayType[4] = static_cast<std::int16_t>(c.displayType);
  }
  FrmTenkey d(s, host);
  EXPECT_EQ(d.Entry(), c.value);
  for (const auto& a : c.actions) EXPECT_TRUE(Play(d, a)) << a;
  EXPECT_EQ(d.Entry(), c.entry);
  EXPECT_EQ(s.gTenkeyResult, c.result);
  EXPECT_EQ(s.gTenkeyOk, c.ok);
  EXPECT_EQ(d.Closed(), c.closed);
  std::string messages;
  for (const auto& m : host.messages) {
    messages += (messages.empty() ? "" : "|") + m.text;
    EXPECT_EQ(m.caption, "確認");
  }
  EXPECT_EQ(messages, c.messages);
}

constexpr const char* kRange = "範囲内のデータを入力して下さい";
constexpr const char* kValid = "正しいデータを入力して下さい";

INSTANTIATE_TEST_SUITE_P(
    Scenarios, TenkeyDialog,
    ::testing::Values(
        // The first key replaces the opening value, later keys append.
        Case{__LINE__, "3", "1", "99", -1, {"5", "2"}, "52", "3", 0, false, ""},
        Case{__LINE__, "3", "1", "12", -1, {"1", "2", "OK"}, "12", "12", 1, true, ""},
        // Out of range: the message, the old value back, and the next key starts afresh.
        Case{__LINE__, "3", "1", "12", -1, {"1", "3", "OK"}, "3", "3", 0, false, kRange},
        Case{__LINE__, "3", "1", "12", -1, {"1", "3", "OK", "4", "OK"}, "4", "4", 1, true, kRange},
        Case{__LINE__, "3", "1", "12", -1, {"CLR", "OK"}, "3", "3", 0, false, kValid},
        Case{__LINE__, "3", "1", "12", -1, {"－", "OK"}, "3", "3", 0, false, kValid},
        Case{__LINE__, "3", "-5", "12", -1, {"－", "4", "OK"}, "-4", "-4", 1, true, ""},
        Case{__LINE__, "3", "-5", "12", -1, {"4", "－", "OK"}, "3", "3", 0, false, kValid},
        // "・": "0." fresh, "." while typing; ":" forms in a time column.
        Case{__LINE__, "3", "1", "12", -1, {"・"}, "0.", "3", 0, false, ""},
        Case{__LINE__, "3", "0", "12", -1, {"2", "・", "5", "OK"}, "2.5", "2.5", 1, true, ""},
        Case{__LINE__, "3", "1", "12", -1, {"・", "OK"}, "3", "3", 0, false, kRange},
        Case{__LINE__, "3", "1", "12", 6, {"・"}, "0:", "3", 0, false, ""},
        Case{__LINE__, "3", "1", "12", 6, {"1", "・", "3"}, "1:3", "3", 0, false, ""},
        Case{__LINE__, "3", "1", "12", 2, {"1", "・"}, "1.", "3", 0, false, ""},
        // A bound that is not a number accepts nothing, whichever bound it is.
        Case{__LINE__, "3", "", "12", -1, {"5", "OK"}, "3", "3", 0, false, kValid},
        Case{__LINE__, "3", "1", "x", -1, {"5", "OK"}, "3", "3", 0, false, kValid},
        // Shortest text of the number.
        Case{__LINE__, "1", "0", "99", -1, {"0", "0", "7", "OK"}, "7", "7", 1, true, ""},
        Case{__LINE__, "1", "0", "99", -1, {"3", "・", "OK"}, "3", "3", 1, true, ""},
        // Cancel, close box and Enter.
        Case{__LINE__, "3", "1", "12", -1, {"9", "CANCEL"}, "3", "3", 0, true, ""},
        Case{__LINE__, "3", "1", "12", -1, {"9", "CLOSE"}, "3", "3", 0, true, ""},
        Case{__LINE__, "3", "1", "12", -1, {"9", "ENTER"}, "9", "9", 1, true, ""},
        // Keyboard typing edits the entry and keeps the state: the pad key then appends.
        Case{__LINE__, "3", "1", "999", -1, {"type:07", "OK"}, "7", "7", 1, true, ""},
        Case{__LINE__, "3", "1", "999", -1, {"type:1", "5"}, "5", "3", 0, false, ""},
        Case{__LINE__, "3", "1", "999", -1, {"1", "type:12", "5"}, "125", "3", 0, false, ""},
        Case{__LINE__, "3", "1", "999", -1, {"type:abc", "ENTER"}, "3", "3", 0, false, kValid}));

TEST(TenkeyDialogWindow, CaptionControlsAndRefusals) {
  ClientState s;
  ScriptedHost host;
  s.gTenkeyValue = "5";
  s.gTenkeyMax = "31";
  s.gTenkeyMin = "1";
  FrmTenkey d(s, host);
  EXPECT_EQ(d.Name(), "frmTenkey");
  EXPECT_EQ(d.Caption(), "テンキーパッド");
  auto& c = d.Controls();
  EXPECT_EQ(c["lblMaxData"].caption, "31");
  EXPECT_EQ(c["lblMinData"].caption, "1");
  EXPECT_EQ(d.FocusedControl(), "txtNowData");
  // The pad reads like a calculator's: 7 8 9 on top, 0, the point and the minus at the
  // bottom, each key captioned with what it types.
  for (int key = 0; key <= 9; ++key) EXPECT_EQ(c["cmdTenKey_" + std::to_string(key)].caption, std::to_string(key));
  EXPECT_EQ(c["cmdTenKey_10"].caption, "・");
  EXPECT_EQ(c["cmdTenKey_11"].caption, "－");
  EXPECT_LT(c["cmdTenKey_7"].top, c["cmdTenKey_4"].top);
  EXPECT_LT(c["cmdTenKey_4"].top, c["cmdTenKey_1"].top);
  EXPECT_LT(c["cmdTenKey_1"].top, c["cmdTenKey_0"].top);
  EXPECT_EQ(c["cmdTenKey_0"].top, c["cmdTenKey_11"].top);
  EXPECT_LT(c["cmdTenKey_0"].left, c["cmdTenKey_10"].left);
  EXPECT_LT(c["cmdTenKey_10"].left, c["cmdTenKey_11"].left);
  // Every control inside the window, none over another.
  for (const auto& a : c.All()) {
    EXPECT_LE(a->left + a->width, d.Width()) << a->Id();
    EXPECT_LE(a->top + a->height, d.Height()) << a->Id();
    for (const auto& b : c.All()) {
      const bool apart = a->left + a->width <= b->left || b->left + b->width <= a->left ||
                         a->top + a->height <= b->top || b->top + b->height <= a->top;
      EXPECT_TRUE(a == b || apart) << a->Id() << " / " << b->Id();
    }
  }
  EXPECT_FALSE(d.Handle({UiEvent::Kind::kKeyPress, "txtNowData", 'a'}));
  EXPECT_FALSE(d.Handle({UiEvent::Kind::kClick, "lblMaxData"}));
  EXPECT_FALSE(d.Handle({UiEvent::Kind::kClick, "cmdTenKey_12"}));
  // Events the dialog has no use for are refused, and type nothing.
  for (const auto kind : {UiEvent::Kind::kDblClick, UiEvent::Kind::kTimer, UiEvent::Kind::kCellSelect})
    EXPECT_FALSE(d.Handle({kind, "cmdTenKey_1"}));
  EXPECT_EQ(c["txtNowData"].caption, "5");
  ASSERT_TRUE(d.Handle({UiEvent::Kind::kClick, "cmdCancel"}));
  EXPECT_FALSE(d.Handle({UiEvent::Kind::kClick, "cmdTenKey_1"}));  // closed
}

TEST(ShowTenkey, HandsOverAndNeverReturnsAStaleResult) {
  ClientState s;
  ScriptedHost host;
  s.gTenkeyOk = 1;
  s.gTenkeyResult = "9";  // an earlier dialog's result
  s.gTenkeyTyping = 1;
  host.onModal = [&](Document& d) {
    EXPECT_EQ(s.gTenkeyValue, "4");
    EXPECT_EQ(s.gTenkeyMax, "12");
    EXPECT_EQ(s.gTenkeyMin, "1");
    EXPECT_EQ(s.gTenkeyOld, "4");
    EXPECT_EQ(s.gTenkeyTyping, 0);
    EXPECT_EQ(d.Caption(), "テンキーパッド");
    // The user closes the window by its close box (the host sends kClose).
  };
  ShowTenkey(s, host, "4", "12", "1");
  EXPECT_EQ(host.modalDialogs, std::vector<std::string>{"frmTenkey"});
  EXPECT_EQ(s.gTenkeyOk, 0);
  EXPECT_EQ(s.gTenkeyResult, "4");

  host.onModal = [](Document& d) {
    d.Handle({UiEvent::Kind::kClick, "cmdTenKey_1"});
    d.Handle({UiEvent::Kind::kClick, "cmdTenKey_1"});
    d.Handle({UiEvent::Kind::kClick, "cmdKakutei"});
  };
  ShowTenkey(s, host, "4", "12", "1");
  EXPECT_EQ(s.gTenkeyOk, 1);
  EXPECT_EQ(s.gTenkeyResult, "11");
}

}  // namespace
}  // namespace tb
