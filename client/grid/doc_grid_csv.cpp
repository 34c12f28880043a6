// The CSV export of the page on show: the page title, the period caption, then every grid
// row as 16 quoted cell texts each followed by a comma, lines ended by CR LF, written in
// CP932 to the file the user chose in the save dialog. It reads only the grid and the
// shared state.
#include <fstream>
#include <string>

#include "client/core/formatting.h"
#include "client/core/vb_error.h"
#include "client/grid/csv_field.h"
#include "client/grid/doc_grid.h"
#include "platform/codepage.h"

namespace tb {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// gDateKey ("yyyy/m/d", "yyyy/m" or "yyyy") as a date; missing parts are 1.
std::optional<std::chrono::year_month_day> KeyDate(std::string_view key) {
  int parts[3] = {0, 1, 1};
  int count = 0;
  size_t pos = 0;
  while (count < 3) {
    const size_t slash = key.find('/', pos);
    const auto piece = key.substr(pos, slash == std::string_view::npos ? slash : slash - pos);
    const auto value = ParseInt16(piece);
    if (!value || piece.empty()) return std::nullopt;
    parts[count++] = *value;
    if (slash == std::string_view::npos) break;
    pos = slash + 1;
  }
  const std::chrono::year_month_day d{std::chrono::year{parts[0]},
                                      std::chrono::month{static_cast<unsigned>(parts[1])},
                                      std::chrono::day{static_cast<unsigned>(parts[2])}};
  if (!d.ok()) return std::nullopt;
  return d;
}

}  // namespace

std::string DocGrid::DefaultCsvName() const {
  const auto date = KeyDate(s_.gDateKey).value_or(s_.gReportDate);
  const char* picture = s_.gReportKind == 1 ? "yymmdd" : s_.gReportKind == 2 ? "yymm" : "yy";
  return FormatDate(date, picture) + FormatNumber(s_.gCurrentPage, "00") + ".csv";
}

std::string DocGrid::CsvText() const {
  std::string out = controls_.Find("lblPageTitle")->caption;
  out += kCrLf;
  out += controls_.Find("lblTitle")->caption;
  out += kCrLf;
  for (int r = 0; r < grid_.Rows(); ++r) {
    std::string line;
    for (int c = 0; c < grid_.Cols(); ++c) AppendCsvField(line, grid_.TextMatrix(r, c));
    out += line;
    out += kCrLf;
  }
  return out;
}

// Cancelling writes nothing; a file that cannot be written ends the export silently.
void DocGrid::cmdOut_Click() {
  SaveDialogRequest request{"CSVファイル出力", "*.csv", "csv", DefaultCsvName()};
  const auto path = host_.ShowSaveDialog(request);
  if (!path) return;
  host_.SetMousePointer(MousePointer::kHourglass);
  SetGridVisible(false);
  ResumeNext([&] {
    const std::string bytes = platform::Utf8ToCp932(CsvText());
    std::ofstream file(*path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  });
  SetGridVisible(true);
  host_.SetMousePointer(MousePointer::kDefault);
}

}  // namespace tb
