#include "formdraw/barcode/barcode_draw.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "formdraw/barcode/layout.h"
#include "formdraw/form/form_format.h"
#include "formdraw/session/drawing_settings.h"
#include "formdraw/session/page_cycle.h"
#include "formdraw/session/units.h"

namespace fd::barcode {
namespace {

namespace fs = fmdraw::session;
namespace ff = fmdraw::form;
namespace dev = fmdraw::device;

// Barcode field record (46 bytes).
constexpr std::size_t kFieldSymbology = 8;
constexpr std::size_t kFieldCheckFlag = 10;
constexpr std::size_t kFieldDirection = 12;
constexpr std::size_t kFieldCorners = 14;
constexpr std::size_t kFieldName = 22;
constexpr std::size_t kFieldNameBytes = 20;
constexpr std::size_t kFieldColor = 42;

Encoded Encode(const BarcodeRequest& r) {
  switch (r.symbology) {
    case Symbology::kJan13: return EncodeJan13(r.text);
    case Symbology::kJan8: return EncodeJan8(r.text);
    case Symbology::kCode39: return EncodeCode39(r.text, r.addCheck);
    case Symbology::kItf: return EncodeItf(r.text);
    case Symbology::kNw7: return EncodeNw7(r.text, r.addCheck);
  }
  return {kBadCharacter, {}};
}

BarSettings SettingsOf(const fs::BarcodeSettings& b) {
  BarSettings s;
  s.minimumNarrow = b.minimumNarrow;
  s.gain = b.gain;
  s.explicitSets = b.widthSets;
  return s;
}

// The code's rectangle in dots after magnification and offsets, plus its extent in
// 0.01 mm along the direction of the code.
struct Placement {
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // dots
  int32_t extentMm = 0;
};

Placement Place(const fs::WorkArea& area, const BarcodeRequest& r) {
  const auto& form = area.forms.CurrentSettings();
  const int32_t x1 = fs::ApplyForm(r.x1, form.magnification, form.xOffset);
  const int32_t y1 = fs::ApplyForm(r.y1, form.magnification, form.yOffset);
  const int32_t x2 = fs::ApplyForm(r.x2, form.magnification, form.xOffset);
  const int32_t y2 = fs::ApplyForm(r.y2, form.magnification, form.yOffset);
  Placement p;
  p.left = fs::HundredthsToDots(x1, area.dpi);
  p.top = fs::HundredthsToDots(y1, area.dpi);
  p.right = fs::HundredthsToDots(x2, area.dpi);
  p.bottom = fs::HundredthsToDots(y2, area.dpi);
  // Far-out corners make extents beyond 32 bits: kept within range, never wrapped.
  const int64_t extent = r.direction == 2 ? int64_t{y2} - y1 : int64_t{x2} - x1;
  p.extentMm = static_cast<int32_t>(std::clamp<int64_t>(extent, INT32_MIN, INT32_MAX));
  return p;
}

int32_t Clamp32(int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// Bars as filled boxes whose right and bottom edges are inclusive (the device rectangle
// extends one dot), as every box of the library is drawn. A 1-dot solid pen and a solid
// brush in the drawing colour are selected for the bars and the caller's objects are
// selected again afterwards, so the session's line, pattern and frame settings, and its
// magnification and offsets, are as they were.
void DrawBars(fs::WorkArea& area, const Placement& p, const Layout& layout, bool vertical) {
  dev::Device& device = *area.device;
  const dev::Pen savedPen = device.State().pen;
  const dev::Brush savedBrush = device.State().brush;
  const dev::Color color = fs::DrawingColor(area);
  device.SelectPen(dev::Pen{dev::kPenSolid, 1, color});
  dev::Brush brush;
  brush.color = color;
  device.SelectBrush(brush);
  for (const Bar& bar : layout.bars) {
    const int64_t from = int64_t{vertical ? p.top : p.left} + bar.start;
    const int32_t a = Clamp32(from), b = Clamp32(from + bar.width + 1);
    const dev::Rect r = vertical ? dev::Rect{p.left, a, Clamp32(int64_t{p.right} + 1), b}
                                 : dev::Rect{a, p.top, b, Clamp32(int64_t{p.bottom} + 1)};
    device.Rectangle(r);
  }
  device.SelectPen(savedPen);
  device.SelectBrush(savedBrush);
}

// The record of the current form's barcode field named `name`, or nullptr.
const uint8_t* FindBarcodeField(const fs::WorkArea& area, std::string_view name) {
  const ff::FormData* form = area.forms.CurrentForm();
  if (form == nullptr || name.size() > kFieldNameBytes) return nullptr;
  const int count = form->counts[ff::kBarcodeField];
  for (int i = 0; i < count; ++i) {
    const uint8_t* record = form->Record(ff::kBarcodeField, i);
    if (static_cast<std::size_t>(i + 1) * ff::kRecordSize[ff::kBarcodeField] >
        form->arrays[ff::kBarcodeField].size())
      break;
    const char* stored = reinterpret_cast<const char*>(record + kFieldName);
    const std::size_t length = strnlen(stored, kFieldNameBytes);
    if (std::string_view(stored, length) == name) return record;
  }
  return nullptr;
}

bool IsSymbologyCode(int code) { return code >= 1 && code <= 5; }

}  // namespace

int DrawBarcode(fs::WorkArea& area, const BarcodeRequest& request, char* encoded) {
  fs::StartPageIfNeeded(area);
  const Encoded enc = Encode(request);
  if (enc.code != 0) return enc.code;
  if (encoded != nullptr) std::memcpy(encoded, enc.text.c_str(), enc.text.size() + 1);
  const Placement p = Place(area, request);
  const bool display = area.outputKind == fs::kDisplayOutput;
  const Layout layout = LayOut(request.symbology, enc.text, p.extentMm, area.dpi,
                               SettingsOf(area.barcode), display);
  DrawBars(area, p, layout, request.direction == 2);
  return 0;
}

std::size_t BarInfoValueCount(int32_t selector) {
  switch (selector) {
    case -1: return 5;
    case -2: case -3: return 8;
    case -4: return 4;
    case -5: return 5;
    default: return 1;
  }
}

void SetBarInfo(fs::WorkArea& area, std::span<const int32_t> info) {
  if (info.empty()) return;
  const int32_t selector = info[0];
  if (selector >= -5 && selector <= -1) {
    auto& set = area.barcode.widthSets[static_cast<std::size_t>(-selector - 1)];
    const std::size_t n = std::min(BarInfoValueCount(selector), info.size() - 1);
    for (std::size_t i = 0; i < n; ++i) set[i] = static_cast<int16_t>(info[i + 1]);
    return;
  }
  area.barcode.minimumNarrow = static_cast<int16_t>(selector);
  if (info.size() > 1) area.barcode.gain = static_cast<int16_t>(info[1]);
}

int PrintBarcodeField(fs::WorkArea& area, std::string_view fieldName, std::string_view text,
                      char* encoded) {
  const uint8_t* field = FindBarcodeField(area, fieldName);
  if (field == nullptr) return -3;
  // The bar colour becomes the text colour, as setting code 10 does: the cached pen,
  // pattern and font are re-made by their next setting call.
  area.drawing.textColor = static_cast<dev::Color>(ff::GetI32(field + kFieldColor));
  area.drawing.lineApplied = area.drawing.patternApplied = area.drawing.fontApplied = false;

  const int code = ff::GetI16(field + kFieldSymbology);
  if (!IsSymbologyCode(code)) return 0;
  BarcodeRequest r;
  r.symbology = static_cast<Symbology>(code);
  r.direction = ff::GetI16(field + kFieldDirection);
  // Word 5 is passed on as the check flag, which adds the check character when it is 1.
  r.addCheck = (r.symbology == Symbology::kCode39 || r.symbology == Symbology::kNw7) &&
               ff::GetI16(field + kFieldCheckFlag) == 1;
  r.x1 = fs::TwipsToHundredths(ff::GetI16(field + kFieldCorners));
  r.y1 = fs::TwipsToHundredths(ff::GetI16(field + kFieldCorners + 2));
  r.x2 = fs::TwipsToHundredths(ff::GetI16(field + kFieldCorners + 4));
  r.y2 = fs::TwipsToHundredths(ff::GetI16(field + kFieldCorners + 6));
  r.text = text;
  const int rc = DrawBarcode(area, r, encoded);
  return rc == kBadLength ? -5 : rc == kBadCharacter ? -4 : 0;
}

}  // namespace fd::barcode
