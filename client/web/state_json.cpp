#include "client/web/state_json.h"

#include <cstdio>

#include "client/grid/flex_grid.h"

namespace tb::web {
namespace {

std::string_view KindName(ControlKind k) {
  switch (k) {
    case ControlKind::kLabel: return "label";
    case ControlKind::kButton: return "button";
    case ControlKind::kPictureButton: return "picture";
    case ControlKind::kOption: return "option";
    case ControlKind::kFrame: return "frame";
    case ControlKind::kTextBox: return "text";
    case ControlKind::kTimer: return "timer";
    case ControlKind::kGrid: return "grid";
  }
  return "label";
}

nlohmann::json OptionalColour(const std::optional<Colour>& c) {
  return c ? nlohmann::json(CssColour(*c)) : nlohmann::json(nullptr);
}

}  // namespace

std::string CssColour(Colour c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", static_cast<unsigned>(c & 0xFF),
                static_cast<unsigned>((c >> 8) & 0xFF), static_cast<unsigned>((c >> 16) & 0xFF));
  return buf;
}

nlohmann::json ControlJson(const Control& c) {
  nlohmann::json j = {
      {"id", c.Id()},          {"name", c.name},       {"index", c.index},
      {"kind", KindName(c.kind)}, {"container", c.container}, {"caption", c.caption},
      {"tip", c.toolTip},      {"l", c.left},          {"t", c.top},
      {"w", c.width},          {"h", c.height},        {"visible", c.visible},
      {"enabled", c.enabled},  {"value", c.value},     {"back", OptionalColour(c.backColour)},
      {"fore", OptionalColour(c.foreColour)},
  };
  if (c.font) j["font"] = {{"name", c.font->name}, {"size", c.font->size}, {"bold", c.font->bold}};
  if (c.kind == ControlKind::kGrid && c.grid != nullptr) j["grid"] = GridJson(*c.grid);
  return j;
}

nlohmann::json DocumentJson(const Document& doc) {
  nlohmann::json controls = nlohmann::json::array();
  nlohmann::json timers = nlohmann::json::array();  // running ones: tests see a load pending
  for (const auto& c : doc.Controls().All()) {
    if (c->kind != ControlKind::kTimer) controls.push_back(ControlJson(*c));
    else if (c->interval > 0) timers.push_back(c->Id());
  }
  return {{"name", doc.Name()},     {"caption", doc.Caption()}, {"width", doc.Width()},
          {"height", doc.Height()}, {"focus", doc.FocusedControl()},
          {"controls", std::move(controls)}, {"timers", std::move(timers)}};
}

nlohmann::json GridJson(const FlexGrid& g) {
  nlohmann::json widths = nlohmann::json::array();
  for (int c = 0; c < g.Cols(); ++c) widths.push_back(g.ColWidth(c));
  nlohmann::json cells = nlohmann::json::array();
  nlohmann::json spans = nlohmann::json::object();
  for (int r = 0; r < g.Rows(); ++r) {
    nlohmann::json row = nlohmann::json::array();
    for (int c = 0; c < g.Cols(); ++c) {
      row.push_back({g.TextMatrix(r, c), static_cast<int>(g.EffectiveAlignment(r, c)),
                     OptionalColour(g.CellForeColour(r, c)), OptionalColour(g.CellBackColour(r, c))});
    }
    cells.push_back(std::move(row));
    auto merged = g.MergedSpans(r);
    if (merged.size() != static_cast<std::size_t>(g.Cols())) {
      nlohmann::json list = nlohmann::json::array();
      for (const auto& s : merged) list.push_back({s.first, s.last});
      spans[std::to_string(r)] = std::move(list);
    }
  }
  return {{"rows", g.Rows()},         {"cols", g.Cols()},         {"fixedRows", g.FixedRows()},
          {"fixedCols", g.FixedCols()}, {"widths", std::move(widths)}, {"visible", g.Visible()},
          {"fontSize", g.FontSize()},   {"leftCol", g.LeftCol()},   {"row", g.Row()},
          {"col", g.Col()},             {"cells", std::move(cells)}, {"spans", std::move(spans)}};
}

}  // namespace tb::web
