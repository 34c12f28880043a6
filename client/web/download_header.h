// The Content-Disposition header of a download offered to the browser.
#pragma once

#include <string>
#include <string_view>

namespace tb::web {

// "attachment" with the file name twice: as plain ASCII for browsers that know no other
// (every other byte, the quote and the backslash become '_') and whole as UTF-8,
// percent-encoded (letters, digits, '.', '-' and '_' stay as they are).
std::string DownloadDisposition(std::string_view utf8Name);

}  // namespace tb::web
