// Sending a file unchanged to the default printer (FmPrintFile): to a folder port it is
// copied as one document file, to a CUPS queue it is submitted as raw data.
#pragma once

namespace fmdraw::session {

// 0; -4 file cannot be opened; -5 no default printer or its port is unusable; -6 the
// document cannot be started; -7 the document cannot be delivered.
int PrintRawFile(const char* fileName);

}  // namespace fmdraw::session
