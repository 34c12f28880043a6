// The form library draws PDF pages on a worker thread unless FMDRAW_PAGE_WORKER=0; a
// benchmark measures both ways in one run by holding this while it prints. Each session
// makes its device when it opens, so the setting holds for the sessions opened meanwhile.
#pragma once

#include <cstdlib>

namespace bench {

class PageWorker {
 public:
  explicit PageWorker(bool on) {
    if (!on) setenv("FMDRAW_PAGE_WORKER", "0", 1);
  }
  ~PageWorker() { unsetenv("FMDRAW_PAGE_WORKER"); }
  PageWorker(const PageWorker&) = delete;
  PageWorker& operator=(const PageWorker&) = delete;
};

}  // namespace bench
