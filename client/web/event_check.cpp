#include "client/web/event_check.h"

#include <nlohmann/json.hpp>

#include "client/grid/flex_grid.h"

namespace tb::web {
namespace {

constexpr std::size_t kMaxText = 4096;
constexpr std::size_t kMaxName = 64;

std::optional<UiEvent::Kind> KindFromText(std::string_view k) {
  if (k == "click") return UiEvent::Kind::kClick;
  if (k == "dblclick") return UiEvent::Kind::kDblClick;
  if (k == "keypress") return UiEvent::Kind::kKeyPress;
  if (k == "change") return UiEvent::Kind::kTextChange;
  if (k == "close") return UiEvent::Kind::kClose;
  if (k == "cellselect") return UiEvent::Kind::kCellSelect;
  return std::nullopt;  // timers run on the server and are never sent
}

bool ReadInt(const nlohmann::json& j, const char* key, int lo, int hi, int* out) {
  if (!j.contains(key)) return true;
  const auto& v = j[key];
  if (!v.is_number_integer()) return false;
  auto n = v.get<long long>();
  if (n < lo || n > hi) return false;
  *out = static_cast<int>(n);
  return true;
}

bool ReadText(const nlohmann::json& j, const char* key, std::size_t max, std::string* out) {
  if (!j.contains(key)) return true;
  const auto& v = j[key];
  if (!v.is_string()) return false;
  *out = v.get<std::string>();
  return out->size() <= max;
}

// A control is usable when it and every frame around it are visible and enabled.
std::string CheckReachable(const Document& doc, const Control& c) {
  const Control* at = &c;
  for (int depth = 0; at != nullptr; ++depth) {
    if (depth > 32) return "container loop";
    if (!at->visible) return "control hidden: " + at->Id();
    if (!at->enabled) return "control disabled: " + at->Id();
    if (at->container.empty()) return {};
    at = doc.Controls().Find(at->container);
    if (at == nullptr) return "unknown container";
  }
  return {};
}

std::string CheckGridCell(const Control& c, const UiEvent& e) {
  if (c.grid == nullptr) return "grid without model";
  if (!c.grid->Visible()) return "grid hidden";
  if (e.row < 0 || e.row >= c.grid->Rows() || e.col < 0 || e.col >= c.grid->Cols())
    return "cell outside the grid";
  return {};
}

}  // namespace

std::optional<BrowserEvent> ParseBrowserEvent(std::string_view body, std::string* error) {
  auto fail = [&](std::string why) -> std::optional<BrowserEvent> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  auto j = nlohmann::json::parse(body, nullptr, /*allow_exceptions=*/false);
  if (j.is_discarded() || !j.is_object()) return fail("body is not a JSON object");
  BrowserEvent out;
  std::string kind;
  if (!ReadInt(j, "page", 0, 1 << 30, &out.page) || !j.contains("page")) return fail("page");
  if (!ReadText(j, "doc", kMaxName, &out.doc) || out.doc.empty()) return fail("doc");
  if (!ReadText(j, "kind", kMaxName, &kind)) return fail("kind");
  auto k = KindFromText(kind);
  if (!k) return fail("unknown event kind");
  out.event.kind = *k;
  if (!ReadText(j, "control", kMaxName, &out.event.control)) return fail("control");
  if (!ReadText(j, "text", kMaxText, &out.event.text)) return fail("text");
  if (!ReadInt(j, "key", 0, 0xFFFF, &out.event.keyAscii)) return fail("key");
  if (!ReadInt(j, "row", 0, 1 << 20, &out.event.row)) return fail("row");
  if (!ReadInt(j, "col", 0, 1 << 20, &out.event.col)) return fail("col");
  return out;
}

std::optional<BrowserAnswer> ParseBrowserAnswer(std::string_view body) {
  auto j = nlohmann::json::parse(body, nullptr, /*allow_exceptions=*/false);
  if (j.is_discarded() || !j.is_object()) return std::nullopt;
  const auto id = j.find("id");
  const auto kind = j.find("kind");
  if (id == j.end() || !id->is_number_unsigned() || kind == j.end() || !kind->is_string())
    return std::nullopt;
  BrowserAnswer out;
  out.id = id->get<std::uint64_t>();
  if (*kind == "msgbox") {
    out.kind = BrowserAnswer::Kind::kMsgBox;
    const auto button = j.find("button");
    if (button == j.end() || !button->is_string()) return std::nullopt;
    if (*button == "ok") out.button = MsgBoxResult::kOk;
    else if (*button == "yes") out.button = MsgBoxResult::kYes;
    else if (*button == "no") out.button = MsgBoxResult::kNo;
    else return std::nullopt;
    return out;
  }
  if (*kind == "save") {
    out.kind = BrowserAnswer::Kind::kSave;
    const auto name = j.find("name");
    if (name == j.end() || !(name->is_null() || name->is_string())) return std::nullopt;
    if (name->is_string()) out.name = name->get<std::string>();
    if (const auto c = j.find("choice"); c != j.end()) {
      out.choice = c->is_number_integer() && c->get<std::int64_t>() >= 0 && c->get<std::int64_t>() < 64
                       ? c->get<int>() : -1;
    }
    return out;
  }
  return std::nullopt;
}

std::string CheckEvent(const Document& doc, bool isDialog, const UiEvent& e) {
  using K = UiEvent::Kind;
  if (e.kind == K::kTimer) return "timer events come from the server";
  if (e.kind == K::kClose) {
    if (!isDialog) return "only a dialog can be closed";
    return e.control.empty() ? "" : "close takes no control";
  }
  if (e.control.empty()) {
    // A key pressed with no control focused goes to the document (key preview).
    return e.kind == K::kKeyPress ? "" : "event without control";
  }
  const Control* c = doc.Controls().Find(e.control);
  if (c == nullptr) return "unknown control: " + e.control;
  if (c->kind == ControlKind::kTimer) return "a timer takes no events";
  if (auto why = CheckReachable(doc, *c); !why.empty()) return why;
  if (e.kind == K::kTextChange && c->kind != ControlKind::kTextBox) return "not a text box";
  if (e.kind == K::kCellSelect && c->kind != ControlKind::kGrid) return "not a grid";
  if (c->kind == ControlKind::kGrid) return CheckGridCell(*c, e);
  return {};
}

}  // namespace tb::web
