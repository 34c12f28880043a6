// The archive's own printer: a PDF folder printer, registered as the default printer in a
// private Windows directory under the archive's control folder, so that the archive
// prints through the form library exactly as the range print does while nothing reaches
// the plant's printers. Its folder is set before each period (the period's staging
// folder). Setting it points $FMDRAW_WINDIR of this process at the private directory:
// the form library and the print jobs find the default printer there.
#pragma once

#include <filesystem>

namespace tb::archive {

class ArchivePrinter {
 public:
  // Dots per inch of the PDF documents (the resolution the plant's demo printer uses).
  static constexpr int kDpi = 600;

  explicit ArchivePrinter(std::filesystem::path windowsDirectory);
  // Makes the printer write its documents into `folder`. Throws ArchiveError.
  void PrintInto(const std::filesystem::path& folder);

 private:
  std::filesystem::path windir_;
  std::filesystem::path current_;
};

}  // namespace tb::archive
