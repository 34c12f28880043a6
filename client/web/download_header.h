// The headers of a download offered to the browser.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tb::web {

// Content-Disposition "attachment" with the file name twice: as plain ASCII for browsers
// that know no other (every other byte, the quote and the backslash become '_') and whole
// as UTF-8, percent-encoded (letters, digits, '.', '-' and '_' stay as they are); and
// Cache-Control "no-store": a report is fetched anew each time, never from a cache.
std::vector<std::pair<std::string, std::string>> DownloadHeaders(std::string_view utf8Name);

}  // namespace tb::web
