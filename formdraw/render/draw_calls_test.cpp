// The session's drawing calls on an in-memory trace device: setting codes 3 and 4, and
// the colours of colour and monochrome devices.
#include <gtest/gtest.h>

#include <algorithm>

#include "formdraw/device/trace_device.h"
#include "formdraw/session/draw_calls.h"

namespace fmdraw::session {
namespace {

using Lines = std::vector<std::string>;

struct Session {
  WorkArea area;
  device::TraceDevice* trace = nullptr;
  explicit Session(bool colour = true) {
    device::DeviceCaps caps;
    caps.dpiX = caps.dpiY = 300;
    if (!colour) caps.bitsPerPixel = 1;
    auto dev = std::make_unique<device::TraceDevice>(caps, nullptr);
    trace = dev.get();
    area.device = std::move(dev);
    area.outputKind = kDisplayOutput;
    area.dpi = 300;
    area.colorMode = colour ? 1 : 0;
    area.forms.CurrentSettings().magnification = 100;
  }
  // The lines drawn after `from`, those that start with one of `prefixes`.
  Lines Drawn(std::size_t from, std::initializer_list<std::string> prefixes) const {
    Lines out;
    const Lines& all = trace->Lines();
    for (std::size_t i = from; i < all.size(); ++i)
      for (const auto& p : prefixes)
        if (all[i].rfind(p, 0) == 0) out.push_back(all[i]);
    return out;
  }
};

TEST(DrawCalls, FrameOffDrawsFilledShapesWithoutOutline) {
  Session s;
  ASSERT_EQ(SetLine(s.area, 0, 10), 0);
  s.area.drawing.frameOn = 0;
  s.area.drawing.transparentShapes = 1;
  const std::size_t from = s.trace->Lines().size();
  ASSERT_EQ(PrintBox(s.area, 0, 0, 1000, 1000, 0), 0);
  ASSERT_EQ(PrintEllipseFigure(s.area, EllipseFigure::kArc, 0, 0, 1000, 1000, {1000, 500}, {0, 500}), 0);
  EXPECT_EQ(s.Drawn(from, {"Select", "SetBkMode", "Rectangle", "Arc"}),
            (Lines{"SetBkMode transparent", "SelectPen style=5 width=1 color=000000", "Rectangle 0 0 119 119",
                   "SelectPen style=0 width=1 color=000000", "Arc 0 0 119 119 118 59 0 59"}));
}

TEST(DrawCalls, OpaqueShapesByDefault) {
  Session s;
  const std::size_t from = s.trace->Lines().size();
  ASSERT_EQ(PrintLine(s.area, 0, 0, 100, 0), 0);
  EXPECT_EQ(s.Drawn(from, {"SetBkMode"}), (Lines{"SetBkMode opaque"}));
}

TEST(DrawCalls, ColourDevicesDrawInTheTextColourMonochromeInBlack) {
  for (const bool colour : {true, false}) {
    Session s(colour);
    ASSERT_EQ(SetLine(s.area, 0, 10), 0);
    SetTextColour(s.area, 0x0000FF);
    const std::size_t from = s.trace->Lines().size();
    ASSERT_EQ(SetLine(s.area, 0, 10), 0);  // re-made after the colour change
    ASSERT_EQ(SetPattern(s.area, 0), 0);
    const std::string c = colour ? "0000FF" : "000000";
    EXPECT_EQ(s.Drawn(from, {"Select"}),
              (Lines{"SelectPen style=0 width=1 color=" + c, "SelectBrush solid color=" + c}));
  }
}

TEST(DrawCalls, RestoreLinePutsBackTheEarlierSettingOrTheDefaultPen) {
  Session s;
  RestoreLine(s.area, std::nullopt);
  EXPECT_FALSE(s.area.drawing.line.has_value());
  EXPECT_EQ(s.trace->Lines().back(), "SelectPen style=0 width=1 color=000000");
  RestoreLine(s.area, LineSetting{3, 50});
  EXPECT_EQ(s.area.drawing.line, (LineSetting{3, 50}));
  EXPECT_EQ(s.trace->Lines().back().rfind("SetBkColor", 0), 0u);
}

}  // namespace
}  // namespace fmdraw::session
