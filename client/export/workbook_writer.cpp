#include "client/export/workbook_writer.h"

#include <xlsxwriter.h>

#include <random>

#include "client/export/cell_formats.h"
#include "client/export/export_messages.h"
#include "client/export/safe_text.h"
#include "client/export/sheet_name.h"
#include "client/export/sheet_writer.h"
#include "client/printing/paper_size.h"

namespace tb::workbook {

namespace fs = std::filesystem;

namespace {

// The paper and orientation the report prints on: the wide fan-fold sizes print upright,
// the rest landscape, as the report forms do. A sheet prints like one page, so every size
// the page print knows applies.
PrintSetup PrintSetupFor(const std::string& paperSize) {
  PrintSetup setup;
  if (const auto paper = print::FindPaperSize(paperSize, print::PrintJobKind::kPage)) {
    setup.paperCode = paper->paperCode;
    setup.landscape = paper->orientation == 2;
  }
  return setup;
}

fs::path TemporaryBeside(const fs::path& file) {
  std::random_device rd;
  return file.parent_path() / ("." + file.filename().string() + "." + std::to_string(rd()) + ".part");
}

lxw_error WriteSheets(lxw_workbook* wb, const std::vector<PageSheet>& sheets, const PrintSetup& print) {
  CellFormats formats(wb);
  std::vector<std::string> names;
  lxw_error first = LXW_NO_ERROR;
  for (const auto& sheet : sheets) {
    names.push_back(UniqueSheetName(PageSheetName(sheet.page, sheet.pageTitle), names));
    lxw_worksheet* ws = workbook_add_worksheet(wb, names.back().c_str());
    if (ws == nullptr) return LXW_ERROR_PARAMETER_VALIDATION;
    const lxw_error e = WriteSheet(ws, formats, sheet, print);
    if (first == LXW_NO_ERROR) first = e;
  }
  return first;
}

}  // namespace

WriteResult WriteWorkbook(const std::vector<PageSheet>& sheets, const WorkbookInfo& info,
                          const fs::path& file) {
  std::error_code folder;
  const fs::path dir = file.parent_path().empty() ? fs::path(".") : file.parent_path();
  if (!fs::is_directory(dir, folder))  // found here, before the library complains on stderr
    return {false, std::string(msg::kCannotWrite) + file.string() + " (no such folder)"};
  const fs::path part = TemporaryBeside(file);
  lxw_workbook* wb = workbook_new(part.c_str());
  if (wb == nullptr) return {false, std::string(msg::kCannotWrite) + file.string()};
  const std::string title = SafeText(info.title, 255);
  lxw_doc_properties properties{};
  properties.title = const_cast<char*>(title.c_str());  // copied by the library
  lxw_error e = workbook_set_properties(wb, &properties);
  const lxw_error written = WriteSheets(wb, sheets, PrintSetupFor(info.paperSize));
  if (e == LXW_NO_ERROR) e = written;
  const lxw_error closed = workbook_close(wb);  // writes the file and frees the workbook
  if (e == LXW_NO_ERROR) e = closed;
  std::error_code renamed;
  if (e == LXW_NO_ERROR) fs::rename(part, file, renamed);
  if (e == LXW_NO_ERROR && !renamed) return {true, {}};
  const std::string why = e != LXW_NO_ERROR ? lxw_strerror(e) : renamed.message();
  std::error_code ignored;
  fs::remove(part, ignored);
  return {false, std::string(msg::kCannotWrite) + file.string() + " (" + why + ")"};
}

}  // namespace tb::workbook
