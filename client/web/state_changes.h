// The changes that turn one published state (JSON) into the next, so that an open event
// stream carries what changed (a clock label, a status text, the grid's new cells)
// instead of the whole document after every event. The browser applies them to the
// state it holds (assets/state_changes.js); a new stream starts with the whole state.
//
// A change list is a JSON array of operations, each [path, value] (set the place at path
// to value, adding it when new) or [path] (remove it); a path is an array of object keys
// and array indexes from the root. Objects are compared member by member; an array of
// objects or arrays of the same length element by element, unless more than half of its
// elements changed; anything else is set whole when it differs.
// Pure functions; thread-safe.
#pragma once

#include <nlohmann/json.hpp>

namespace tb::web {

// The operations that make `before` into `after`, appended to `out` with `prefix`
// before each path.
void AppendStateChanges(const nlohmann::json& before, const nlohmann::json& after,
                        nlohmann::json& prefix, nlohmann::json& out);

// The change list from `before` to `after`; empty when they are equal.
[[nodiscard]] nlohmann::json StateChanges(const nlohmann::json& before, const nlohmann::json& after);

}  // namespace tb::web
