#include "client/selection/doc_main_controls.h"

#include <array>
#include <string>

#include "client/selection/date_row.h"

namespace tb {
namespace {

constexpr Colour kLightCyan = Rgb(192, 255, 255);
constexpr Colour kNavy = Rgb(0, 0, 128);
const FontSpec kTitleFont{"ＭＳ Ｐゴシック", 21.75, false};
const FontSpec kClockFont{"ＭＳ ゴシック", 11.25, false};
// Faces and sizes below are this page's choice where the design names none.
const FontSpec kOptionFont{"ＭＳ Ｐゴシック", 14.25, true};
const FontSpec kValueFont{"ＭＳ ゴシック", 18, true};
const FontSpec kRowTextFont{"ＭＳ Ｐゴシック", 12, false};
const FontSpec kButtonFont{"ＭＳ Ｐゴシック", 12, false};
const FontSpec kSmallFont{"ＭＳ Ｐゴシック", 9, false};

Control Make(std::string name, ControlKind kind, std::string container, int left, int top,
             int width, int height) {
  Control c;
  c.name = std::move(name);
  c.kind = kind;
  c.container = std::move(container);
  c.left = left;
  c.top = top;
  c.width = width;
  c.height = height;
  return c;
}

void AddHeader(ControlSet& set) {
  auto& title = set.Add(Make("lblTitle", ControlKind::kLabel, "", 2640, 660, 6255, 495));
  title.backColour = kLightCyan;
  title.foreColour = kNavy;
  title.font = kTitleFont;
  auto& version = set.Add(Make("lblVersion", ControlKind::kLabel, "", 1260, 1380, 1335, 195));
  version.font = kSmallFont;
  auto& clock = set.Add(Make("lblDateDisp", ControlKind::kLabel, "", 5160, 160, 3855, 310));
  clock.backColour = kWhite;
  clock.font = kClockFont;
}

void AddOption(ControlSet& set, const char* name, const char* frame, const char* caption,
               const char* tip, int left, bool selected) {
  auto& o = set.Add(Make(name, ControlKind::kOption, frame, left, 240, 1695, 855));
  o.caption = caption;
  o.toolTip = tip;
  o.value = selected;
  o.foreColour = selected ? kBlack : kGrey;
  o.font = kOptionFont;
}

void AddFrames(ControlSet& set) {
  set.Add(Make("fraMain", ControlKind::kFrame, "", 1260, 1680, 9135, 5055));
  set.Add(Make("fraKanri", ControlKind::kFrame, "fraMain", 720, 480, 7695, 1215));
  AddOption(set, "optNippou", "fraKanri", "日    報", "日報を選択します。", 240, true);
  AddOption(set, "optGeppou", "fraKanri", "月    報", "月報を選択します。", 3000, false);
  AddOption(set, "optNenpou", "fraKanri", "年    報", "年報を選択します。", 5820, false);
  set.Add(Make("fraSyori", ControlKind::kFrame, "fraMain", 720, 1680, 7695, 1215));
  AddOption(set, "optSyuusei", "fraSyori", "表    示", "帳票を表示します。", 1620, true);
  AddOption(set, "optPrint", "fraSyori", "印    刷", "帳票を連続印刷します。", 4440, false);
  set.Add(Make("fraDate", ControlKind::kFrame, "fraMain", 720, 2880, 7695, 1935));
}

// The fixed texts of a row: "平成" at 1380 (600 wide), "年", "月", "日".
void AddRowTexts(ControlSet& set, int row, int top, bool visible) {
  struct Text { const char* caption; int left, width; };
  constexpr std::array<Text, 4> kTexts{{{"平成", 1380, 600}, {"年", 2880, 285},
                                        {"月", 4320, 285}, {"日", 5760, 285}}};
  for (int i = 0; i < 4; ++i) {
    auto c = Make(DateCaptionArray(row), ControlKind::kLabel, "fraDate", kTexts[i].left, top,
                  kTexts[i].width, 285);
    c.index = i;
    c.caption = kTexts[i].caption;
    c.visible = visible;
    c.font = kRowTextFont;
    set.Add(std::move(c));
  }
}

void AddValue(ControlSet& set, DateLabelRef ref, int left, int top, int width,
              const std::string& tip, bool visible) {
  auto& c = set.Add(Make(DateLabelId(ref), ControlKind::kLabel, "fraDate", left, top, width, 495));
  c.toolTip = tip;
  c.visible = visible;
  c.backColour = kWhite;
  c.font = kValueFont;
}

// One date row: value labels top `top`, fixed texts `textTop`. Tool tips name the row's
// role ("", "開始", "終了").
void AddRow(ControlSet& set, int row, int top, int textTop, const std::string& role, bool visible) {
  AddRowTexts(set, row, textTop, visible);
  AddValue(set, {row, DateField::kEraYear}, 2160, top, 615, role + "年を設定します。", visible);
  AddValue(set, {row, DateField::kWesternYear}, 1380, top, 1395, role + "年を設定します。", false);
  AddValue(set, {row, DateField::kMonth}, 3600, top, 615, role + "月を設定します。", visible);
  AddValue(set, {row, DateField::kDay}, 5040, top, 615, role + "日を設定します。", visible);
}

void AddDateFrame(ControlSet& set) {
  AddRow(set, 1, 720, 840, "", true);
  AddRow(set, 2, 360, 480, "開始", false);
  auto& kara = set.Add(Make("lblKara", ControlKind::kLabel, "fraDate", 720, 795, 360, 360));
  kara.caption = "～";
  kara.visible = false;
  kara.font = kRowTextFont;
  AddRow(set, 3, 1080, 1200, "終了", false);
  auto& next = set.Add(Make("cmdJiPage", ControlKind::kPictureButton, "fraDate", 6600, 480, 495, 495));
  next.toolTip = "次";
  auto& prev = set.Add(Make("cmdZenPage", ControlKind::kPictureButton, "fraDate", 6600, 1080, 495, 495));
  prev.toolTip = "前";
}

void AddRunAndTimers(ControlSet& set) {
  auto& run = set.Add(Make("cmdJikkou", ControlKind::kButton, "", 9060, 7260, 1335, 735));
  run.caption = "実行(&J)";
  run.toolTip = "上記内容で実行します。";
  run.font = kButtonFont;
  set.Add(Make("Timer1", ControlKind::kTimer, "", 0, 0, 0, 0)).interval = 0;
  set.Add(Make("timDate", ControlKind::kTimer, "", 0, 0, 0, 0)).interval = 1000;
}

}  // namespace

void AddDocMainControls(ControlSet& controls) {
  AddHeader(controls);
  AddFrames(controls);
  AddDateFrame(controls);
  AddRunAndTimers(controls);
}

}  // namespace tb
