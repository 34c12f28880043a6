// FmPrintDataField as a C++ call, and the steps data and list fields share: the field
// font through FmCreateFont, decorations over the last printed text, frame and grid
// lines drawn with a temporary line setting that is put back afterwards.
#pragma once

#include <string_view>
#include <vector>

#include "formdraw/draw/decoration.h"
#include "formdraw/render/field_geometry.h"
#include "formdraw/session/work_area.h"

namespace fd::render {

// 0; -3 no data field of that name; -4 the value does not fit its format; -5 the font
// cannot be made. An empty value prints nothing. The session must be open.
int PrintDataField(fmdraw::session::WorkArea& area, std::string_view name, std::string_view value);

// The field's font made and selected as the session's FmCreateFont font: 0 or -5.
int MakeFieldFont(fmdraw::session::WorkArea& area, const FieldFontSpec& spec);

// Underline and strike of the text last printed (session's first and end positions).
void DecorateLastText(fmdraw::session::WorkArea& area, draw::DecorationKinds kinds, bool vertical);

// Lines drawn with FmSetLine(0, width), then the earlier line setting again.
void DrawFieldLines(fmdraw::session::WorkArea& area, int width, const std::vector<MmLine>& lines);

}  // namespace fd::render
