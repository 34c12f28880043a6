// Fuzz entry for the flow engine and its line breaker: the first 26 bytes are a packed
// layout descriptor, the next byte the length of the hanging-character list that
// follows, the rest the text. Broken double-byte characters, odd box sizes and any
// flags must lay out without reading outside the text.
#include <cstdint>
#include <string>
#include <vector>

#include "formdraw/draw/print_text.h"
#include "formdraw/render/flow_text.h"
#include "formdraw/render/single_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace fd;
  if (size < render::kPackedDescriptorSize + 1) return 0;
  const auto d = render::Unpack(std::span<const uint8_t, render::kPackedDescriptorSize>(
      data, render::kPackedDescriptorSize));
  std::size_t at = render::kPackedDescriptorSize;
  const std::size_t hangingSize = std::min<std::size_t>(data[at], size - at - 1);
  ++at;
  // Own copies, exactly as long as their contents, so any over-read is caught.
  const std::vector<char> hanging(data + at, data + at + hangingSize);
  at += hangingSize;
  const std::vector<char> text(data + at, data + size);
  const std::string_view textView(text.data(), text.size());
  const std::string_view hangingView(hanging.data(), hanging.size());

  draw::FixedMetrics metrics(10000 + d.size * 100, 12000);
  const draw::FontEntry entry{d.font, std::string(draw::kMinchoFace), 0x31, d.bold ? 0 : 128};
  // Ordinary scales, and the extremes of resolution, magnification and offsets.
  for (const draw::FormScale scale :
       {draw::FormScale{72, 100}, draw::FormScale{600, 250, 3, -4},
        draw::FormScale{2400, 1000, 2000000000, -2000000000}}) {
    const auto flow = render::LayOutFlowText(d, textView, entry, scale, hangingView, metrics);
    if (flow.lines.size() > render::kMaxFlowLines) __builtin_trap();
    (void)render::LayOutSingleLine(d, textView, entry, scale, metrics);
  }
  // FmPrintText with positions far out (int16 times 65535 stays within 32 bits when
  // negated), both font paths.
  const draw::PrintTextArgs args{d.x * 65535, d.y * 65535, d.width * 65535, d.direction % 4 + 1,
                                 d.alignment % 4 + 1};
  const draw::PageTransform page{1200, 1000, d.height * 65535, -d.height * 65535};
  for (bool builtIn : {true, false}) {
    auto font = draw::MakeCreateFont({d.size * 1000, d.size * 1000, d.rotation * 40, false, false,
                                      128, 1, 0x10, entry.face},
                                     1000, 1200);
    font.builtIn = builtIn;
    (void)draw::LayOutPrintText(args, textView, page, font, metrics);
  }
  return 0;
}
