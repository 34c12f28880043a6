// The controls of docMain as the page is designed: names, kinds, containers, captions,
// tool tips, positions in twips, colours, fonts and the design-time state (optNippou
// and optSyuusei selected, Timer1 stopped, timDate at 1000 ms). The order is the drawing
// order: later controls lie on top (the western-year label of a row covers "平成" and
// the era-year label).
#pragma once

#include "client/core/controls.h"

namespace tb {

void AddDocMainControls(ControlSet& controls);

}  // namespace tb
