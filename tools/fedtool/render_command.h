// fedtool render: prints a form through the library's own exports on a private folder
// printer and keeps the produced PDF or PNG.
#pragma once

#include <string>
#include <vector>

namespace fedtool {

// Arguments after "render": FORM.fed OUT.pdf|OUT.png [--values VALUES.json] [--dpi N].
// Returns the process exit code; messages go to standard error.
int RenderCommand(const std::vector<std::string>& args);

}  // namespace fedtool
