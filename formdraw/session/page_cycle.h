// The page cycle of a session. StartPageIfNeeded is the one place where a page starts:
// every drawing and setting call that draws calls it first. EndPage is FmPrintOut.
#pragma once

#include "formdraw/session/work_area.h"

namespace fmdraw::session {

// Starts a page when none is open: starts the printer page, marks it open, forgets the
// selected objects, selects the default brush (solid black), pen (solid, 1 dot, black)
// and font (10 x 10 dots, "ＭＳ 明朝"), then re-applies the line, pattern and font
// settings last given. False when the printer page cannot be started.
bool StartPageIfNeeded(WorkArea& area);

// Ends the current page: 0, or -5 (disk full), -6 (memory), -7 (other page error, also
// when no page is open on a printer). A display only forgets its objects.
int EndPage(WorkArea& area);

// The result code of a page's error: 0, -5 (disk full), -6 (memory) or -7 (other).
int PageErrorCode(device::PageError error);

}  // namespace fmdraw::session
