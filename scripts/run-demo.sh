#!/usr/bin/env bash
# Installs what is missing, builds, seeds the demo share and starts the main job.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

bash scripts/install-deps.sh
export TZ="${TZ:-Asia/Tokyo}"
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"

demo="$top/demo"
if [ ! -f "$demo/share/Vurodor.ini" ]; then
  "$top/build/bin/tbseed" --share-root "$demo/share" --client-dir "$demo/client"
fi
if [ -x "$top/build/bin/tbclient" ]; then
  exec "$top/build/bin/tbclient" --share-root "$demo/share" --client-dir "$demo/client" "$@"
else
  exec "$top/build/bin/tbcheck" --share-root "$demo/share" --client-dir "$demo/client"
fi
