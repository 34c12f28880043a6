// The paper sizes a report prints on: paper code and orientation for the printer, the
// suffix of the report form files, and the layout values of everything the client draws
// outside form fields (positions and sizes in 0.01 mm).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tb::print {

struct PaperLayout {
  std::int32_t lineWidth, groupLineTop, groupLineBottom, itemsLeft, groupTextTop,
      singleGroupAdd, fontSize, lastGroupLeftAdd, lastGroupRightAdd;
  [[nodiscard]] std::array<std::int32_t, 9> AsArray() const {
    return {lineWidth, groupLineTop, groupLineBottom, itemsLeft, groupTextTop,
            singleGroupAdd, fontSize, lastGroupLeftAdd, lastGroupRightAdd};
  }
  [[nodiscard]] static PaperLayout FromArray(const std::array<std::int32_t, 9>& a) {
    return {a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]};
  }
};

// The two print jobs know different sizes: the range print A3 and A4 only, the page
// print all six.
enum class PrintJobKind { kRange, kPage };

struct PaperSize {
  std::string_view size;    // the [Print] Size value, compared exactly ("A3")
  bool rangePrint;          // the range print knows this size too
  std::int32_t paperCode;   // printer-settings paper code
  std::int32_t orientation; // 1 portrait, 2 landscape
  std::string_view formSuffix;
  PaperLayout layout;
};

// Looks a [Print] Size value up (exact, case-sensitive) among the sizes `job` knows; a
// size it does not know gives nullopt (the job then has no form file).
[[nodiscard]] std::optional<PaperSize> FindPaperSize(std::string_view size, PrintJobKind job);

// "DFmt_" / "MFmt_" / "YFmt_" by report kind, then the suffix and ".fed".
[[nodiscard]] std::string FormFileName(int reportKind, std::string_view suffix);

}  // namespace tb::print
