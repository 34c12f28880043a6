// Applies a change list sent on the event stream to the state the page holds: each
// operation is [path, value] (set that place, adding it when new) or [path] (remove it);
// a path lists object keys and array indexes from the root, an empty path is the whole
// state. Shared by the page (client.js) and the load benchmark (bench/web_load.js).
(function (root) {
  'use strict';

  function applyStateChanges(state, changes) {
    for (const op of changes) {
      const path = op[0];
      if (path.length === 0) {
        state = op[1];
        continue;
      }
      let at = state;
      for (let i = 0; i < path.length - 1; i++) at = step(at, path[i]);
      const last = path[path.length - 1];
      step(at, last, true);
      if (op.length > 1) at[last] = op[1];
      else delete at[last];
    }
    return state;
  }

  // The value under `key`; throws when the change does not fit the state held.
  function step(at, key, parentOnly) {
    if (at === null || typeof at !== 'object' || key === '__proto__') throw new Error('change does not fit');
    return parentOnly ? at : at[key];
  }

  if (typeof module === 'object' && module.exports) module.exports = { applyStateChanges };
  else root.applyStateChanges = applyStateChanges;
})(typeof globalThis !== 'undefined' ? globalThis : this);
