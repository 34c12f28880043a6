#include "client/export/cell_formats.h"

namespace tb::workbook {

lxw_format* CellFormats::Get(const FormatKey& key) {
  if (auto it = made_.find(key); it != made_.end()) return it->second;
  lxw_format* f = Make(key);
  made_.emplace(key, f);
  return f;
}

// Grid cells get thin borders all round, as the grid draws its lines; headings and labels
// are centred, values right-aligned as on the page.
lxw_format* CellFormats::Make(const FormatKey& key) {
  lxw_format* f = workbook_add_format(wb_);
  if (f == nullptr) return nullptr;
  format_set_font_name(f, kFontName);
  format_set_font_size(f, kFontSize);
  switch (key.role) {
    case CellRole::kPageTitle:
      format_set_bold(f);
      format_set_font_size(f, 14);
      return f;
    case CellRole::kCaption:
      format_set_bold(f);
      format_set_font_size(f, 12);
      return f;
    case CellRole::kHeading:
    case CellRole::kLabel:
      format_set_align(f, LXW_ALIGN_CENTER);
      break;
    case CellRole::kValue:
      format_set_align(f, LXW_ALIGN_RIGHT);
      break;
  }
  format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
  format_set_border(f, LXW_BORDER_THIN);
  if (key.fore) format_set_font_color(f, ToRgb(*key.fore));
  if (key.back) {
    format_set_pattern(f, LXW_PATTERN_SOLID);
    format_set_bg_color(f, ToRgb(*key.back));
  }
  if (!key.numberFormat.empty()) format_set_num_format(f, key.numberFormat.c_str());
  return f;
}

}  // namespace tb::workbook
