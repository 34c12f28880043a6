// Writes report pages as one workbook file (.xlsx), one sheet per page, in the order
// given. The file appears complete or not at all: the workbook is written under a
// temporary name in the same folder and renamed over `file` only when it is finished, so
// a failure never leaves a half-written file nor replaces an earlier one.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "client/export/page_sheet.h"

namespace tb::workbook {

struct WorkbookInfo {
  std::string title;      // document title ("日報 2026/12/8")
  std::string paperSize;  // the report's [Print] Size ("A3"); unknown sizes print on the default
};

struct WriteResult {
  bool ok = false;
  std::string error;  // why not, for people (names the file)
};

[[nodiscard]] WriteResult WriteWorkbook(const std::vector<PageSheet>& sheets, const WorkbookInfo& info,
                                        const std::filesystem::path& file);

}  // namespace tb::workbook
