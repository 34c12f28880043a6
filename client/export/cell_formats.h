// The cell formats of one workbook (font, colours, alignment, borders, number format),
// each made once and shared by every cell that looks the same. The workbook owns the
// formats; a CellFormats lives no longer than its workbook. Not thread-safe.
#pragma once

#include <xlsxwriter.h>

#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "client/core/controls.h"

namespace tb::workbook {

// The font of every cell: the grid page's font and size.
inline constexpr char kFontName[] = "ＭＳ ゴシック";
inline constexpr double kFontSize = 11;

enum class CellRole { kPageTitle, kCaption, kHeading, kLabel, kValue };

struct FormatKey {
  CellRole role = CellRole::kValue;
  std::optional<Colour> fore, back;
  std::string numberFormat;
  auto operator<=>(const FormatKey&) const = default;
};

class CellFormats {
 public:
  explicit CellFormats(lxw_workbook* wb) : wb_(wb) {}
  // The format for cells of this look; nullptr when the workbook could not make one.
  [[nodiscard]] lxw_format* Get(const FormatKey& key);

 private:
  lxw_format* Make(const FormatKey& key);
  lxw_workbook* wb_;
  std::map<FormatKey, lxw_format*> made_;
};

// A Windows colour (0x00BBGGRR) as the workbook writes it (0xRRGGBB; black has its own
// value, as 0 means "no colour set").
[[nodiscard]] constexpr lxw_color_t ToRgb(Colour c) {
  const lxw_color_t rgb = ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
  return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : rgb;
}

}  // namespace tb::workbook
