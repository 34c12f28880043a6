// The form pass: the static content of the current form (lines, boxes, ellipses, arcs,
// chords, pies, polygons, static texts, images) drawn in the order of the drawing-order
// table, later entries over earlier ones. Fields (kinds 6, 7, 9) are printed by their own
// calls. Records are read defensively: an entry pointing past its array, a polygon
// whose pieces are missing or a text with an unknown font entry is skipped.
#pragma once

#include "formdraw/session/work_area.h"

namespace fd::render {

// Runs the pass on the session's page (the page must be open). Returns 0, or 1 / 4 / 5 / 6
// when the default pen, the default brush, a shape's pen or a shape's brush could not be
// made (the pass stops there; what was drawn stays). The device's pen, brush, font, colours and
// background mode are those of before the pass when it returns.
int RunFormPass(fmdraw::session::WorkArea& area);

// FmPrintForm: starts the page, prepares the form's images, runs the pass, then resets
// the text colour (0), background colour (white), setting code 3 (0) and code 4 (1).
int PrintForm(fmdraw::session::WorkArea& area);

}  // namespace fd::render
