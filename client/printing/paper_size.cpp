#include "client/printing/paper_size.h"

namespace tb::print {
namespace {

constexpr std::array<PaperSize, 6> kPaperSizeTable = {{
    {"A3", true, 8, 2, "A3", {20, 3710, 4300, 2195, 3780, 950, 425, 1200, 1300}},
    {"A4", true, 9, 2, "A4", {8, 3100, 3590, 2195, 3230, 400, 280, 800, 900}},
    {"B4", false, 12, 2, "B4", {20, 3710, 4300, 1500, 3780, 420, 352, 1000, 1100}},
    {"B5", false, 13, 2, "B5", {8, 3100, 3590, 1500, 3230, -270, 240, 700, 800}},
    // 15 x 11 in prints on the B4 forms with its own paper and orientation.
    {"15", false, 46, 1, "B4", {20, 3710, 4300, 1500, 3780, 420, 352, 1000, 1100}},
    {"10", false, 45, 1, "10", {8, 3100, 3590, 1500, 3230, -270, 190, 270, 800}},
}};

}  // namespace

std::optional<PaperSize> FindPaperSize(std::string_view size, PrintJobKind job) {
  for (const auto& row : kPaperSizeTable)
    if (row.size == size && (job == PrintJobKind::kPage || row.rangePrint)) return row;
  return std::nullopt;
}

std::string FormFileName(int reportKind, std::string_view suffix) {
  const char* prefix = reportKind == 1 ? "DFmt_" : reportKind == 2 ? "MFmt_" : "YFmt_";
  return std::string(prefix) + std::string(suffix) + ".fed";
}

}  // namespace tb::print
