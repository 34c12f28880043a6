// The large headings of a page: neighbouring items with the same large heading form a
// group; a vertical separator is drawn before every new group and each group's heading
// is centred over it. The left edges of the M_KOMOKU fields give the columns' x positions.
#include "client/printing/page_fill.h"
#include "platform/codepage.h"

namespace tb::print {
namespace {
constexpr int kFaceMincho = 1;
constexpr int kDirectionHorizontal = 1;
constexpr int kAlignCentre = 3;
}  // namespace

void PageFiller::LargeHeadings() {
  auto leftOf = [&](int item) {
    FieldRect("M_KOMOKU" + std::to_string(item));
    return rect_[0];
  };
  auto font = [&] { api_.FmSetFont(layout_.fontSize, layout_.fontSize, kFaceMincho, 0, 0, S()); };
  auto text = [&](std::int32_t x, std::int32_t extent, const std::string& t) {
    api_.FmPrintText(x, layout_.groupTextTop, extent, kDirectionHorizontal, kAlignCentre,
                     platform::Utf8ToCp932(t).c_str(), S());
  };

  int s = 0, n = 1, x = 0;  // first slot and length of the open group, width of closed groups
  for (int j = 1; j <= 14; ++j) {
    if (slots_[static_cast<std::size_t>(j)] == slots_[static_cast<std::size_t>(s)]) {
      ++n;
      continue;
    }
    const std::int32_t l1 = leftOf(s + 1);
    const std::int32_t w = leftOf(s + n + 1) - l1;
    api_.FmSetLong(10, 0, S());
    api_.FmSetLine(0, layout_.lineWidth, S());
    const std::int32_t sepX = layout_.itemsLeft + x + w;
    api_.FmPrintLine(sepX, layout_.groupLineTop, sepX, layout_.groupLineBottom, S());
    font();
    if (!slots_[static_cast<std::size_t>(s)].empty()) text(l1, w, slots_[static_cast<std::size_t>(s)]);
    x += w;
    s += n;
    n = 1;
  }

  // The last group gets no separator after it.
  if (s == 0) {
    const std::int32_t l1 = leftOf(1);
    const std::int32_t extent = leftOf(15) + layout_.singleGroupAdd;  // the sum itself, not a width
    if (!slots_[0].empty()) {
      api_.FmSetLong(10, 0, S());
      font();
      text(l1, extent, slots_[0]);
    }
    return;
  }
  const std::int32_t x1 = leftOf(s + 1) + layout_.lastGroupLeftAdd;
  const std::int32_t x2 = leftOf(15) + layout_.lastGroupRightAdd;
  api_.FmSetLong(10, 0, S());
  font();
  if (!slots_[static_cast<std::size_t>(s)].empty()) text(x1, x2 - x1, slots_[static_cast<std::size_t>(s)]);
}

}  // namespace tb::print
