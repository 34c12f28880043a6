#include "client/grid/frm_tenkey_controls.h"

#include <array>
#include <string>

namespace tb {
namespace {

const FontSpec kKeyFont{"ＭＳ ゴシック", 14.25, true};
const FontSpec kEntryFont{"ＭＳ ゴシック", 18, true};
const FontSpec kBoundFont{"ＭＳ ゴシック", 11.25, false};

constexpr int kMargin = 120;
constexpr int kKeyWidth = 720, kKeyHeight = 600, kKeyStep = 780, kRowStep = 660;
constexpr int kPadTop = 1440;

Control Make(std::string name, int index, ControlKind kind, int left, int top, int width,
             int height, std::string caption) {
  Control c;
  c.name = std::move(name);
  c.index = index;
  c.kind = kind;
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  c.caption = std::move(caption);
  return c;
}

void AddBounds(ControlSet& set) {
  const std::array<const char*, 4> names{"lblMaxTitle", "lblMaxData", "lblMinTitle", "lblMinData"};
  for (int i = 0; i < 4; ++i) {
    const bool title = i % 2 == 0;
    auto c = Make(names[i], -1, ControlKind::kLabel, title ? kMargin : 1200, kMargin + (i / 2) * 360,
                  title ? 960 : 2280, 285, title ? (i == 0 ? "最大値" : "最小値") : "");
    c.font = kBoundFont;
    if (!title) c.backColour = kWhite;
    set.Add(std::move(c));
  }
}

void AddPad(ControlSet& set) {
  // Row by row from the top: 7 8 9 / 4 5 6 / 1 2 3 / 0 ・ －.
  constexpr std::array<int, 12> kLayout{7, 8, 9, 4, 5, 6, 1, 2, 3, 0, 10, 11};
  for (int slot = 0; slot < 12; ++slot) {
    const int key = kLayout[slot];
    const std::string caption = key < 10 ? std::to_string(key) : key == 10 ? "・" : "－";
    auto c = Make("cmdTenKey", key, ControlKind::kButton, kMargin + (slot % 3) * kKeyStep,
                  kPadTop + (slot / 3) * kRowStep, kKeyWidth, kKeyHeight, caption);
    c.font = kKeyFont;
    set.Add(std::move(c));
  }
}

void AddCommands(ControlSet& set) {
  struct Command { const char* name; const char* caption; const char* tip; int top, height; };
  constexpr std::array<Command, 3> kCommands{{
      {"cmdClr", "CLR", "入力データをクリアします。", kPadTop, kKeyHeight},
      {"cmdCancel", "取 消", "テンキーパッドを閉じます。", kPadTop + kRowStep, kKeyHeight},
      {"cmdKakutei", "確 定", "入力データを確定します。", kPadTop + 2 * kRowStep,
       kRowStep + kKeyHeight},
  }};
  for (const auto& cmd : kCommands) {
    auto c = Make(cmd.name, -1, ControlKind::kButton, kMargin + 3 * kKeyStep + 60, cmd.top, 1020,
                  cmd.height, cmd.caption);
    c.toolTip = cmd.tip;
    c.font = kBoundFont;
    set.Add(std::move(c));
  }
}

}  // namespace

void AddTenkeyControls(ControlSet& controls) {
  AddBounds(controls);
  auto entry = Make("txtNowData", -1, ControlKind::kTextBox, kMargin, 840, 3420, 435, "");
  entry.font = kEntryFont;
  entry.backColour = kWhite;
  controls.Add(std::move(entry));
  AddPad(controls);
  AddCommands(controls);
}

}  // namespace tb
