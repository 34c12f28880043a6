#include "formdraw/draw/print_text.h"

#include <string>

namespace fd::draw {

TextPlacement LayOutPrintText(const PrintTextArgs& args, std::string_view text,
                              const PageTransform& t, const SessionFont& font,
                              TextMeasurer& measurer) {
  const PlacementRequest request{t.X(args.x), t.Y(args.y), t.Size(args.extent), args.direction,
                                 args.alignment};
  const std::string ordered = OrderForDirection(text, args.direction);
  if (font.builtIn)
    return PlaceBuiltIn(ordered, request, {font.widthMilli, font.heightMilli}, PrintTextSqueeze());
  return PlaceMeasured(ordered, request, {font.request.escapement, font.heightMilli, font.widthMilli},
                       measurer);
}

}  // namespace fd::draw
