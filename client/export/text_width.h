// How wide a text is in a fixed-pitch Japanese font: full-width characters (kanji, kana,
// full-width forms) take two columns, the others one. Column widths of the workbook are
// counted in these columns. Pure function.
#pragma once

#include <string_view>

namespace tb::workbook {

[[nodiscard]] int DisplayWidth(std::string_view utf8);

}  // namespace tb::workbook
