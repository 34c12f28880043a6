#include "client/web/state_changes.h"

#include <algorithm>

namespace tb::web {
namespace {

using nlohmann::json;

void Set(const json& path, const json& value, json& out) { out.push_back(json::array({path, value})); }

// Arrays whose elements are all plain values (a cell, a list of widths) are short and
// go whole: a path to one of their elements would be longer than the array.
bool ElementwiseWorthIt(const json& a) {
  return std::any_of(a.begin(), a.end(), [](const json& e) { return e.is_structured(); });
}

void ObjectChanges(const json& before, const json& after, json& prefix, json& out) {
  for (auto it = after.begin(); it != after.end(); ++it) {
    prefix.push_back(it.key());
    auto old = before.find(it.key());
    if (old == before.end()) Set(prefix, it.value(), out);
    else AppendStateChanges(*old, it.value(), prefix, out);
    prefix.erase(prefix.size() - 1);
  }
  for (auto it = before.begin(); it != before.end(); ++it) {
    if (after.contains(it.key())) continue;
    prefix.push_back(it.key());
    out.push_back(json::array({prefix}));
    prefix.erase(prefix.size() - 1);
  }
}

void ArrayChanges(const json& before, const json& after, json& prefix, json& out) {
  json inner = json::array();
  std::size_t changed = 0;
  for (std::size_t i = 0; i < after.size(); ++i) {
    if (before[i] == after[i]) continue;
    ++changed;
    prefix.push_back(i);
    AppendStateChanges(before[i], after[i], prefix, inner);
    prefix.erase(prefix.size() - 1);
  }
  // Mostly new: the whole array may be shorter than the changes of its elements (a
  // short list of large controls with a small change in each is not).
  if (changed * 2 > after.size() && after.dump().size() <= inner.dump().size()) {
    Set(prefix, after, out);
    return;
  }
  for (auto& op : inner) out.push_back(std::move(op));
}

}  // namespace

void AppendStateChanges(const json& before, const json& after, json& prefix, json& out) {
  if (before.is_object() && after.is_object()) return ObjectChanges(before, after, prefix, out);
  if (before.is_array() && after.is_array() && before.size() == after.size() &&
      ElementwiseWorthIt(after))
    return ArrayChanges(before, after, prefix, out);
  if (before != after) Set(prefix, after, out);
}

json StateChanges(const json& before, const json& after) {
  json out = json::array();
  json prefix = json::array();
  AppendStateChanges(before, after, prefix, out);
  return out;
}

}  // namespace tb::web
