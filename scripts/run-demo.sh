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
# The report forms of every kind and paper.
if [ ! -f "$demo/share/TB_Format/DFmt_A3.fed" ]; then
  "$top/build/bin/tbforms" "$demo/share/TB_Format"
fi
# A default printer that writes each print job as a PDF into demo/printed.
export FMDRAW_WINDIR="${FMDRAW_WINDIR:-$demo/fmdraw}"
if [ ! -f "$FMDRAW_WINDIR/printers.ini" ]; then
  mkdir -p "$FMDRAW_WINDIR" "$demo/printed"
  printf '[Demo PDF]\r\nDriver=fmdraw\r\nPort=%s\r\nFormat=pdf\r\nDpi=600\r\n' "$demo/printed" \
    > "$FMDRAW_WINDIR/printers.ini"
  printf '[windows]\r\ndevice=Demo PDF,fmdraw,%s\r\n' "$demo/printed" > "$FMDRAW_WINDIR/win.ini"
fi
if [ -x "$top/build/bin/tbclient" ]; then
  exec "$top/build/bin/tbclient" --share-root "$demo/share" --client-dir "$demo/client" "$@"
else
  exec "$top/build/bin/tbcheck" --share-root "$demo/share" --client-dir "$demo/client"
fi
