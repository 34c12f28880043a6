#!/usr/bin/env bash
# Builds the Debian package tbclient_<version>_<arch>.deb into dist/.
#
#   bash scripts/package.sh               clean build in build-package/, then the package
#   bash scripts/package.sh --from DIR    the package of an already built tree (CI uses
#                                         the default build; nothing is rebuilt)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

from=""
case "${1:-}" in
  --from) from="${2:?--from needs a build folder}" ;;
  "") ;;
  *) echo "usage: bash scripts/package.sh [--from BUILD_DIR]" >&2; exit 2 ;;
esac

if [ -z "$from" ]; then
  bash scripts/install-deps.sh
  build="$top/build-package"
  rm -rf "$build"
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTB_BENCHMARKS=OFF \
        -DTB_E2E=OFF >/dev/null
  cmake --build "$build" -j "$(nproc)"
else
  build="$(cd "$from" && pwd)"
  [ -f "$build/CPackConfig.cmake" ] || { echo "package.sh: $build is not a configured build" >&2; exit 2; }
fi

out="$top/dist"
stage="$build/cpack"
rm -rf "$stage"
mkdir -p "$out"
(cd "$build" && cpack -G DEB -B "$stage" >/dev/null)
deb="$(ls "$stage"/*.deb)"
mv -f "$deb" "$out/"
rm -rf "$stage"
echo "$out/$(basename "$deb")"
