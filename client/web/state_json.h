// The JSON description of what a browser shows: a document's controls with their
// captions, tool tips, twip positions, visibility, colours and fonts, and a grid control's
// cells. The browser renders exactly this; it holds no report logic.
#pragma once

#include <nlohmann/json.hpp>

#include "client/core/controls.h"

namespace tb::web {

// "#rrggbb" of a Windows colour value (0x00BBGGRR).
std::string CssColour(Colour c);

// {"name","caption","width","height","focus","controls":[...],"timers":[running timer
// ids]}; timer controls are not drawn, so they are listed apart.
nlohmann::json DocumentJson(const Document& doc);

// One control; a grid control carries "grid" (see GridJson).
nlohmann::json ControlJson(const Control& c);

// {"rows","cols","fixedRows","fixedCols","widths":[...],"visible","fontSize","leftCol",
//  "row","col","cells":[[[text, align, fore, back], ...], ...],"spans":{row:[[a,b],...]}}
nlohmann::json GridJson(const FlexGrid& grid);

}  // namespace tb::web
